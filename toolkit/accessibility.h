#pragma once

// What assistive technology (a screen reader, dictation, an on-screen keyboard) meets
// through the platform's accessibility bridge:
// - the byte-limited fields take text from it under their own rule, as from the user,
//   never through the widget's unlimited editing;
// - windows are windows or dialogs, plain frames inner panels and the status bar a
//   status bar.
class QAbstractScrollArea;
class QString;

namespace toolkit::accessibility {

// Installs the interfaces above; call once after the application object exists.
void install();

// Names a list or text area (an empty name leaves its own, from a label) and its
// scroll bars after it.
void nameScrollArea(QAbstractScrollArea* area, const QString& name);

}  // namespace toolkit::accessibility
