#pragma once

#include <QString>

class LiveSettings;
class QMenu;
class TForm1;

namespace toolkit {
class ByteLimitedLineEdit;
}

// The subject button's pop-up menu of the phrases kept in the settings dialog.
namespace subject_phrases {

// The Subject field's limit, which a phrase must fit together with the subject.
inline constexpr int kSubjectLimit = 30;

// The main window's phrase menu, made on first use.
QMenu* phraseMenu(TForm1& form);

// The subject button: rebuilds the menu from the live phrase list, each caption
// exactly its phrase, and pops it up with its top left corner at the mouse pointer,
// also when the button was pressed from the keyboard.
QMenu* openPhraseMenu(TForm1& form, const LiveSettings& settings);

// A chosen phrase: replaces the Subject field's selection (or goes in at its caret)
// when the subject and the phrase together take at most 30 bytes; otherwise the
// system beep and no change. The selection is not subtracted, and the keyboard
// focus stays where it is. Returns whether the phrase went in.
bool insertPhrase(toolkit::ByteLimitedLineEdit& subject, const QString& phrase);

}  // namespace subject_phrases
