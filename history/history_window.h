#pragma once

#include <QElapsedTimer>
#include <QList>
#include <memory>

#include "app/secondary_window.h"
#include "history/history_text.h"
#include "sending/history_log.h"

class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTextBlock;
class QTimer;

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
    ~TForm7() override;

    static constexpr int kMinWidth = 316;
    static constexpr int kMinHeight = 62;
    static constexpr int kDesignWidth = 338;
    static constexpr int kDesignHeight = 308;
    // Whether the window may take the outer size w × h.
    static bool canResize(int w, int h) { return w >= kMinWidth && h >= kMinHeight; }

    bool isModified() const;
    // Whether a big history is still going into the text, a slice at a time.
    bool isLoading() const { return reader_ != nullptr; }
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
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createEditMenu();
    // Replaces the text by the file's; false when there is no file. The first slice
    // goes in at once, the rest between events so that the window stays usable.
    bool loadFile();
    // Puts pending text in for about `budgetMs` (all of it when negative).
    void loadSlice(int budgetMs);
    void finishLoading() const;
    // Ends a load; the text typed meanwhile goes in when `replay`.
    void endLoading(bool replay);
    // The text's bytes as the file would hold them.
    QByteArray bytes() const;
    // Inserts `pieces` as whole blocks at the start of the text.
    void insertOnTop(QList<history_text::Piece> pieces);
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
    // The file not yet in the field, while loading.
    std::unique_ptr<history_text::Reader> reader_;
    // Whether the next piece starts a block of its own (the first fills the empty one).
    bool pieceAfterFirst_ = false;
    QTimer* loadTimer_ = nullptr;
    QElapsedTimer sinceSlice_;
    // Keys and clicks meant for the text while it loads, put in once it is whole.
    QList<std::pair<QObject*, QEvent*>> heldInput_;
};
