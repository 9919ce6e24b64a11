#pragma once

#include <QMainWindow>
#include <QStringList>
#include <optional>

#include "app/forms.h"

class IniDocument;

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QAbstractButton;
class PictographPalette;
class QToolButton;
class QSessionManager;

namespace toolkit {
class ByteLimitedLineEdit;
class ByteLimitedMemo;
class MenuShortcuts;
class StatusBar;
}  // namespace toolkit

// The main window: the mail composer.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TForm1(Forms& forms);
    ~TForm1() override;

    // The body limit: 500 bytes or none (0).
    void setBodyLimit(int bytes);
    int bodyLimit() const;
    qsizetype bodySize() const;

    // Whether To, Subject, body and attachment are all empty.
    bool isBlank() const;
    // Empties the mail: fields, counter, attachment and the two panels.
    void resetComposer();
    // An address chosen in the address book: the To field and the recipient panel.
    void setRecipient(const QString& address, const QString& name);

    const QString& attachmentPath() const { return attachmentPath_; }

    // Size check: whether the window may take the outer size w × h.
    bool FormCanResize(int w, int h) const;

    // Controls, named as in the window's design.
    QFrame* Panel1;
    QPushButton* Button1;
    toolkit::ByteLimitedLineEdit* Edit2;
    QPushButton* Button2;
    toolkit::ByteLimitedLineEdit* Edit3;
    QFrame* Panel3;
    QToolButton* SpeedButton181;
    QFrame* Panel2;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label2;
    toolkit::ByteLimitedMemo* Memo1 = nullptr;
    PictographPalette* PageControl1;
    toolkit::StatusBar* StatusBar1;

    QMenu* N1;
    QAction* N4;
    QAction* P1;
    QAction* O1;
    QAction* G1;
    QAction* S1;
    QAction* Exit1;
    QMenu* Edit1;
    QAction* Undo1;
    QAction* N5;
    QAction* D1;
    QAction* S2;
    QAction* Cut1;
    QAction* Copy1;
    QAction* Paste1;
    QAction* A1;
    QMenu* N2;
    QAction* N8;
    QAction* N15;
    QAction* L1;
    QAction* N3;
    QMenu* Help1;
    QAction* N12;
    QAction* About1;

    toolkit::MenuShortcuts* shortcuts() const { return shortcuts_; }

    // Handlers.
    void FormCreate();
    void FormResize();
    // Returns whether the window may close. Writes the placement, then offers to keep
    // a mail that is not blank as the draft.
    bool FormCloseQuery();
    // The desktop session is ending: the close request, refusing the end on "キャンセル".
    void sessionEndQuery(QSessionManager& manager);
    // Save draft, new mail, open draft.
    void P1Click();
    void N4Click();
    void O1Click();
    void N1Click();
    void Edit1Click();
    void Edit2Change();
    void Memo1Change();
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void A1Click();
    void Button1Click();
    void N15Click();
    void L1Click();
    void N3Click();
    void Exit1Click();
    void SpeedButton181Click();
    // The subject phrase menu at the mouse pointer.
    void Button2Click();
    // Inserts the signature at the end of the body.
    void S2Click();
    // A pictograph button: its caption goes into the Subject or the body.
    void SpeedButton1Click(QAbstractButton* button);
    // Ctrl+P in the Subject or the body: the palette as a menu at the caret.
    void choosePictograph();
    void N5Click();
    void D1Click();
    // Files dropped on the window: the first becomes the attachment.
    void dropFiles(const QStringList& paths);
    void StatusBar1MouseMove();
    // Sets the attachment, or refuses a name the mail cannot carry; false when refused.
    bool attach(const QString& path, bool fromDialog);
    // Help menu and the registration tool.
    void About1Click();
    void N12Click();
    void G1Click();
    // Closes the help viewer.
    void FormDestroy();

  signals:
    // The close request allowed the close: the program ends.
    void closed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void connectControls();
    // Notes when the platform ends the program for the session.
    void watchSessionEnd();
    // What the mail holds, to tell whether it changed since the session's query.
    QStringList mailState() const;
    void createMenus();
    // The draft's save without its settings-file access (the caller opens the file).
    void saveDraft(IniDocument& doc);
    void writePlacement(IniDocument& doc) const;
    void applySizeConstraints();
    void setCounterText(const QString& text);
    // The counter from `left`, right-aligned against the unit label.
    void placeCounter(int left);
    // The focused one of the three fields, or null.
    QWidget* focusedField() const;

    Forms& forms_;
    toolkit::MenuShortcuts* shortcuts_ = nullptr;
    QString attachmentPath_;
    QSize lastGoodSize_;
    // The outer width last accepted; kept when the frame appears at the first show.
    int outerWidth_ = 0;
    // The session's end was agreed to: the close asks nothing more.
    bool closeAgreed_ = false;
    // The mail as it was when the session's query was agreed to.
    std::optional<QStringList> sessionAnswer_;
    // The platform is ending the program for the session.
    bool sessionEnding_ = false;
};
