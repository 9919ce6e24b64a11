#pragma once

#include <QList>
#include <QListView>
#include <QString>

namespace toolkit {
class ByteLimitedLineEdit;
}

// The subject button's pop-up menu of the phrases kept in the settings dialog.
namespace subject_phrases {

// The Subject field's limit, which a phrase must fit together with the subject.
inline constexpr int kSubjectLimit = 30;

// A pop-up menu of phrases, one column that scrolls when the phrases do not fit the
// screen, so that every phrase can be reached by mouse and keyboard however many there
// are. Its rows are made as they come into view: opening costs the same for eight
// phrases and for a hundred thousand. Each row shows its phrase as typed; no access
// keys are made. A click or Enter chooses the row under the pointer or the current
// one; Escape or a click outside closes it without a choice.
class PhraseMenu : public QListView {
    Q_OBJECT
  public:
    explicit PhraseMenu(QWidget* parent);

    void setPhrases(QList<QByteArray> phrases);
    int count() const;
    QString phrase(int row) const;
    // Shows the menu with its top left corner at `pos`, moved into the screen when it
    // would stand out of it.
    void popupAt(QPoint pos);

  signals:
    void chosen(const QString& phrase);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void choose(const QModelIndex& index);
};

// The phrase menu of `owner`, made on first use; a chosen phrase goes into `subject`.
PhraseMenu* phraseMenu(QWidget& owner, toolkit::ByteLimitedLineEdit& subject);

// The subject button: fills the menu with `phrases`, each caption exactly its phrase,
// and pops it up with its top left corner at the mouse pointer, also when the button
// was pressed from the keyboard.
PhraseMenu* openPhraseMenu(QWidget& owner, toolkit::ByteLimitedLineEdit& subject,
                           QList<QByteArray> phrases);

// A chosen phrase: replaces the Subject field's selection (or goes in at its caret)
// when the subject and the phrase together take at most 30 bytes; otherwise the
// system beep and no change. The selection is not subtracted, and the keyboard
// focus stays where it is. Returns whether the phrase went in.
bool insertPhrase(toolkit::ByteLimitedLineEdit& subject, const QString& phrase);

}  // namespace subject_phrases
