#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

#include "app/settings_file.h"
#include "composer/composer_window.h"
#include "program/application.h"
#include "support/running_program.h"
#include "support/test_support.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/help_viewer.h"
#include "toolkit/url_opener.h"

#ifndef MIRVANE_HELP_FILE
#error "MIRVANE_HELP_FILE must name the shipped help file"
#endif

namespace {

QByteArray shippedHelp() {
    QFile file(QStringLiteral(MIRVANE_HELP_FILE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << MIRVANE_HELP_FILE;
    return file.readAll();
}

class Help : public RunningProgram {
  protected:
    void installHelp() { dir.write(QStringLiteral("mirvane.hlp"), shippedHelp()); }
    void chooseHelp() {
        choose(form1->Help1, Qt::Key_H);
        QApplication::processEvents();
    }
};

// The text shown at the top of the viewer's page.
QString topText(QTextBrowser* browser) {
    const QTextCursor top = browser->cursorForPosition(QPoint(4, 4));
    QTextCursor line(top);
    line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    return line.selectedText();
}

}  // namespace

TEST_F(Help, TheMenuItemOpensTheHelpFileBesideTheProgramAtContextOne) {
    installHelp();
    toolkit::HelpRecorder help;
    chooseHelp();
    ASSERT_EQ(help.requests().size(), 1);
    EXPECT_EQ(help.requests()[0].command, toolkit::HelpRequest::Command::Context);
    EXPECT_EQ(help.requests()[0].file, dir.file(QStringLiteral("mirvane.hlp")));
    EXPECT_EQ(help.requests()[0].context, 1);

    toolkit::HelpViewer* viewer = toolkit::HelpViewer::instance();
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    EXPECT_FALSE(viewer->failed());
    EXPECT_EQ(viewer->context(), 1);
    EXPECT_EQ(viewer->browser()->source().fragment(), QStringLiteral("context-1"));
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QStringLiteral("目次")));
    saveScreenshot(viewer, QStringLiteral("help_viewer_context_1"));
}

TEST_F(Help, F1OpensTheHelpLikeTheMenuItem) {
    installHelp();
    toolkit::HelpRecorder help;
    form1->Memo1->setFocus();
    QTest::keyClick(form1->Memo1, Qt::Key_F1);
    chooseHelp();
    ASSERT_EQ(help.requests().size(), 2);
    EXPECT_EQ(help.requests()[0].file, help.requests()[1].file);
    EXPECT_EQ(help.requests()[0].context, help.requests()[1].context);
    EXPECT_EQ(help.requests()[0].command, help.requests()[1].command);
    // F1 reached the help, not the body.
    EXPECT_TRUE(form1->Memo1->toPlainText().isEmpty());
    // Asking again reuses the one viewer.
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](QWidget* w) { return qobject_cast<toolkit::HelpViewer*>(w); }),
              1);
}

TEST_F(Help, TheViewerClosesWhenTheMainWindowIsDestroyed) {
    installHelp();
    toolkit::HelpRecorder help;
    chooseHelp();
    ASSERT_NE(toolkit::HelpViewer::instance(), nullptr);
    program.reset();
    EXPECT_EQ(toolkit::HelpViewer::instance(), nullptr);
    ASSERT_EQ(help.requests().size(), 2);
    EXPECT_EQ(help.requests()[1].command, toolkit::HelpRequest::Command::Quit);
}

TEST_F(Help, AMissingHelpFileIsReportedByTheViewerAlone) {
    // No help file in the program directory. A message box would fail the test.
    chooseHelp();
    toolkit::HelpViewer* viewer = toolkit::HelpViewer::instance();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->failed());
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(dir.file(QStringLiteral("mirvane.hlp"))));

    // Once the file is there, the next request shows it.
    installHelp();
    chooseHelp();
    EXPECT_FALSE(viewer->failed());
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QStringLiteral("目次")));
}

TEST_F(Help, TheViewerShowsTheAskedTopicAndFollowsLinksBetweenTopics) {
    dir.write(QStringLiteral("mirvane.hlp"),
              "<html><head><meta charset=\"utf-8\"><title>T</title></head><body>"
              "<a name=\"context-1\"></a><h1>First</h1><p><a href=\"#context-2\">to two</a></p>"
              "<p><a href=\"https://example.org/page\">web</a></p>" +
                  QByteArray(200, '\n').replace("\n", "<p>filler</p>") +
                  "<a name=\"context-2\"></a><h1>Second topic</h1>" +
                  QByteArray(200, '\n').replace("\n", "<p>more</p>") + "</body></html>");
    toolkit::UrlOpenRecorder urls;
    toolkit::showHelp(form1, dir.file(QStringLiteral("mirvane.hlp")), 2);
    toolkit::HelpViewer* viewer = toolkit::HelpViewer::instance();
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    EXPECT_EQ(topText(viewer->browser()), QStringLiteral("Second topic"));

    toolkit::showHelp(form1, dir.file(QStringLiteral("mirvane.hlp")), 1);
    EXPECT_EQ(topText(viewer->browser()), QStringLiteral("First"));
    viewer->browser()->setSource(QUrl(QStringLiteral("#context-2")));
    EXPECT_EQ(topText(viewer->browser()), QStringLiteral("Second topic"));
    // Web addresses go to the desktop, and the viewer stays on its topic.
    viewer->browser()->setSource(QUrl(QStringLiteral("https://example.org/page")));
    ASSERT_EQ(urls.opened().size(), 1);
    EXPECT_EQ(urls.opened().front(), QUrl(QStringLiteral("https://example.org/page")));
    EXPECT_EQ(topText(viewer->browser()), QStringLiteral("Second topic"));
}

TEST(HelpText, HasContentsAndExplainsEveryMenuCommandAndWindow) {
    const QString text = QString::fromUtf8(shippedHelp());
    EXPECT_TRUE(text.contains(QStringLiteral("name=\"context-1\"")));
    // Every link inside the file leads to a topic that exists.
    const QRegularExpression link(QStringLiteral("href=\"#(context-\\d+)\""));
    for (auto it = link.globalMatch(text); it.hasNext();) {
        const QString anchor = it.next().captured(1);
        EXPECT_TRUE(text.contains(QStringLiteral("name=\"%1\"").arg(anchor)))
            << anchor.toStdString();
    }

    TempProgramDir dir;
    Application program;
    // Each command of the main window's menus, by its caption without the access key.
    for (QAction* menu : program.forms().form1->menuBar()->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            if (item->isSeparator())
                continue;
            QString caption = item->text();
            caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)|\\.\\.\\.$")));
            EXPECT_TRUE(text.contains(caption)) << caption.toStdString();
        }
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->windowTitle().isEmpty() && w->objectName() != QStringLiteral("HelpViewer")) {
            EXPECT_TRUE(text.contains(w->windowTitle())) << w->windowTitle().toStdString();
        }
    }
}
