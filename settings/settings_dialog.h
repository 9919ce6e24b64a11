#pragma once

#include <QList>
#include <functional>

#include "app/secondary_window.h"
#include "settings/live_settings.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace toolkit {
class ByteLimitedLineEdit;
class ByteLimitedMemo;
class MenuShortcuts;
}  // namespace toolkit

// The settings dialog "設定". Its fields are the program's live settings: other
// windows read them at the moment of use, also while the dialog is open. It reads
// the settings file once, while it is created at start-up, and writes its position,
// the options and the subject phrases each time it closes, however it is closed.
class TForm2 : public SecondaryWindow, public LiveSettings {
    Q_OBJECT
  public:
    // `bodySize`: the main window's body in bytes, checked against a chosen limit.
    TForm2(Forms& forms, std::function<qsizetype()> bodySize);

    // LiveSettings: the fields as they stand now.
    QByteArray smtpServer() const override;
    QByteArray senderAddress() const override;
    QByteArray signature() const override;
    bool automaticSignature() const override;
    bool makeLogFile() const override;
    bool automaticalClear() const override;
    bool beep() const override;
    int regionIndex() const override;
    int byteLimitChoice() const override;
    QList<QByteArray> subjectPhrases() const override;

    // Selects a byte-limit choice as the program does (no check); -1 selects none.
    void setByteLimitChoice(int index);

    // Controls, named as in the window's design.
    QTabWidget* PageControl1;
    QWidget* TabSheet4;
    QGroupBox* GroupBox6;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QGroupBox* GroupBox2;
    QListWidget* ListBox1;
    QToolButton* SpeedButton2;
    QLabel* LabeledEdit3Label;
    toolkit::ByteLimitedLineEdit* LabeledEdit3;
    QToolButton* SpeedButton1;
    QLabel* Label3;

    QWidget* TabSheet1;
    QGroupBox* GroupBox1;
    QLabel* LabeledEdit1Label;
    toolkit::ByteLimitedLineEdit* LabeledEdit1;
    QLabel* Label1;
    QLabel* LabeledEdit2Label;
    toolkit::ByteLimitedLineEdit* LabeledEdit2;
    QLabel* Label2;

    QWidget* TabSheet5;
    QGroupBox* GroupBox3;
    toolkit::ByteLimitedMemo* Memo1;
    QToolButton* SpeedButton3;
    QCheckBox* CheckBox1;
    QGroupBox* RadioGroup1;
    QList<QRadioButton*> RadioGroup1Items;

    QWidget* TabSheet3;
    QGroupBox* GroupBox5;
    QCheckBox* CheckBox2;
    QToolButton* SpeedButton4;
    QLabel* Label4;

    QWidget* TabSheet2;
    QGroupBox* GroupBox4;
    QComboBox* ComboBox2;
    QLabel* Label5;

    QPushButton* Button1;
    QPushButton* Button2;

    QMenuBar* MainMenu1;
    QMenu* MenuItem;
    QAction* Undo1;
    QAction* Cut1;
    QAction* Copy1;
    QAction* Paste1;
    QAction* SelectAll1;

    toolkit::MenuShortcuts* shortcuts() const { return shortcuts_; }

    // Handlers.
    void Button1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void RadioGroup1Click();
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();

  signals:
    // The body limit chosen when the dialog closes: 500 bytes or none (0).
    void bodyLimitChosen(int bytes);

  protected:
    void FormCreate();
    void FormShow() override;
    void FormClose() override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void createControls();
    void createGeneralTab();
    void createConnectionTab();
    void createMailTab();
    void createHistoryTab();
    void createAddressTab();
    void createEditMenu();
    // The focused one of the four text fields, or null.
    QWidget* focusedField() const;

    QButtonGroup* radioButtons_ = nullptr;
    // The choice before the user's last click, to tell a change from a repeat.
    int lastByteLimitChoice_ = -1;
    toolkit::MenuShortcuts* shortcuts_ = nullptr;
    std::function<qsizetype()> bodySize_;
};
