#include "app/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "addressbook/address_book_window.h"
#include "addressbook/address_entry_dialogs.h"
#include "composer/composer_window.h"
#include "composer/pictograph_font.h"
#include "extras/about_box.h"
#include "extras/artwork.h"
#include "history/history_window.h"
#include "settings/settings_dialog.h"
#include "toolkit/accessibility.h"

Application::Application() : qtTexts_(std::make_unique<QTranslator>()) {
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    if (qtTexts_->load(QStringLiteral("qtbase_ja"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts_.get());
    // Every window's frame and task bar entry show the program icon.
    QApplication::setWindowIcon(artwork::programIcon());
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("mirvane"));
    // The other windows may still be open when the main window closes: the program
    // ends with the main window, not with the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    toolkit::accessibility::install();

    // The windows' fonts draw the pictographs with the embedded font.
    pictograph_font::load();
    forms_.form1 = new TForm1(forms_);
    TForm1* form1 = forms_.form1;
    forms_.form2 = new TForm2(forms_, [form1] { return form1->bodySize(); });
    QObject::connect(forms_.form2, &TForm2::bodyLimitChosen, form1, &TForm1::setBodyLimit);
    forms_.aboutBox = new TAboutBox(forms_);
    forms_.form4 = new TForm4(forms_);
    QObject::connect(forms_.form4, &TForm4::addressChosen, form1, &TForm1::setRecipient);
    forms_.form5 = new TForm5(forms_);
    forms_.form6 = new TForm6(forms_);
    forms_.form7 = new TForm7(forms_);
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

void Application::show() {
    forms_.form1->show();
}
