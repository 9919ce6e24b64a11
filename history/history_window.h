#pragma once

#include "app/secondary_window.h"
#include "sending/history_log.h"

class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

namespace toolkit {
class MenuShortcuts;
}

// The send-history window "送信履歴": the whole history as one editable text, saved
// back whole, reloaded or deleted. Resizable, with its size stored beside its
// position. The modified flag is the save button's enabled state.
class TForm7 : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TForm7(Forms& forms);

    static constexpr int kMinWidth = 316;
    static constexpr int kMinHeight = 62;
    static constexpr int kDesignWidth = 338;
    static constexpr int kDesignHeight = 308;
    // Whether the window may take the outer size w × h.
    static bool canResize(int w, int h) { return w >= kMinWidth && h >= kMinHeight; }

    bool isModified() const;
    // The text with CR LF line breaks.
    QString text() const;

    QPlainTextEdit* Memo1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button1;
    QPushButton* Button4;
    QMenuBar* MainMenu1;
    QMenu* MenuItem;
    QAction* Undo1;
    QAction* Cut1;
    QAction* Copy1;
    QAction* Paste1;
    QAction* SelectAll1;

    void FormResize();
    // Save, delete, refresh, close.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    // Whether the window may close: asks when there are unsaved edits.
    bool FormCloseQuery();

  protected:
    void FormShow() override;
    void readPlacement(const IniDocument& doc) override;
    void writePlacement(IniDocument& doc) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void createEditMenu();
    // Replaces the text by the file's; false when there is no file.
    bool loadFile();
    void setModified(bool modified);
    // Resizes under the size limit; a refused size leaves the window as it is.
    void resizeChecked(int w, int h);
    // A frame that appeared since the last size change leaves the outer size as it was.
    void keepOuterSize();

    toolkit::MenuShortcuts* shortcuts_ = nullptr;
    // The file as last loaded or saved, to keep entries sent since.
    history_log::Snapshot loaded_;
    // Text the program puts in is no edit.
    bool settingText_ = false;
    QSize lastGoodSize_;
    // The outer size last accepted, kept when a frame appears around the window.
    QSize outerSize_;
};
