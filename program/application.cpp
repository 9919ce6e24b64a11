#include "program/application.h"

#include <QApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QTranslator>
#include <functional>

#include "addressbook/address_book_window.h"
#include "addressbook/address_entry_dialogs.h"
#include "composer/composer_window.h"
#include "composer/pictograph_font.h"
#include "extras/about_box.h"
#include "extras/artwork.h"
#include "history/history_window.h"
#include "settings/settings_dialog.h"
#include "toolkit/accessibility.h"
#include "toolkit/message_box.h"
#include "toolkit/program_style.h"
#include "toolkit/user_input.h"

namespace {

// Calls `onInput` before the first event that comes from the user is handled.
class InputWatch : public QObject {
  public:
    explicit InputWatch(std::function<void()> onInput) : onInput_(std::move(onInput)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // A close by the title bar, not a window closed by the program.
        if (toolkit::isUserInput(event->type()) &&
            (event->type() != QEvent::Close || event->spontaneous()))
            onInput_();
        return false;
    }

  private:
    std::function<void()> onInput_;
};

}  // namespace

Application::Application() : qtTexts_(std::make_unique<QTranslator>()) {
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    if (qtTexts_->load(QStringLiteral("qtbase_ja"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts_.get());
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("mirvane"));
    // The other windows may still be open when the main window closes: the program
    // ends with the main window, not with the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    toolkit::accessibility::install();

    // The windows' fonts draw the pictographs with the embedded font.
    pictograph_font::load();
    // Before the main window's own handler: the question before a log-off may reach
    // every window.
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
                     [this] { createHiddenWindows(); });
    toolkit::program_style::install();
    const int boxes = toolkit::boxesShown();
    forms_.form1 = new TForm1(forms_);
    // A message at the main window's creation (a settings file that cannot be read) is
    // followed by those of the other windows, before the main window shows.
    if (toolkit::boxesShown() != boxes)
        createHiddenWindows();
    // exit(), not quit(): quit() would close the other windows first and so run their
    // close checks, which the end of the program must not do.
    QObject::connect(
        forms_.form1, &TForm1::closed, qApp, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
}

Application::~Application() {
    // Windows still open at the end write nothing: they are destroyed, not closed.
    delete forms_.form7;
    delete forms_.form6;
    delete forms_.form5;
    delete forms_.form4;
    delete forms_.aboutBox;
    delete forms_.form2;
    delete forms_.form1;
}

Forms& Application::forms() {
    createHiddenWindows();
    return forms_;
}

void Application::createHiddenWindows() {
    if (hiddenMade_)
        return;
    hiddenMade_ = true;
    // Every window's frame and task bar entry show the program icon. Given to the main
    // window once it is on the screen: turning six pictures into the frame's icon
    // property would delay it.
    QApplication::setWindowIcon(artwork::programIcon());
    forms_.form1->removeEventFilter(this);
    if (inputWatch_)
        qApp->removeEventFilter(inputWatch_.get());
    TForm1* form1 = forms_.form1;
    forms_.form2 = new TForm2(forms_, [form1] { return form1->bodySize(); });
    forms_.settings = forms_.form2;
    QObject::connect(forms_.form2, &TForm2::bodyLimitChosen, form1, &TForm1::setBodyLimit);
    forms_.aboutBox = new TAboutBox(forms_);
    forms_.form4 = new TForm4(forms_);
    QObject::connect(forms_.form4, &TForm4::addressChosen, form1, &TForm1::setRecipient);
    forms_.form5 = new TForm5(forms_);
    forms_.form6 = new TForm6(forms_);
    forms_.form7 = new TForm7(forms_);
    // The entry dialogs register into the address book and return to it.
    QObject::connect(forms_.form5, &TForm5::entryAdded, forms_.form4, &TForm4::addEntry);
    QObject::connect(forms_.form5, &TForm5::closed, forms_.form4, &TForm4::showWindow);
    QObject::connect(forms_.form6, &TForm6::entryEdited, forms_.form4, &TForm4::replaceEntry);
}

void Application::show() {
    if (!hiddenMade_) {
        forms_.form1->installEventFilter(this);
        // Sees every event before its receiver does.
        inputWatch_ = std::make_unique<InputWatch>([this] { createHiddenWindows(); });
        qApp->installEventFilter(inputWatch_.get());
    }
    forms_.form1->show();
}

bool Application::eventFilter(QObject* watched, QEvent* event) {
    if (watched == forms_.form1 && event->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        // Once this paint is done and on the screen.
        QMetaObject::invokeMethod(
            this, [this] { createHiddenWindows(); }, Qt::QueuedConnection);
    }
    return false;
}
