#include "support/running_program.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

#include "composer/composer_window.h"
#include "toolkit/clipboard.h"

void RunningProgram::SetUp() {
    program = std::make_unique<Application>();
    program->show();
    form1 = program->forms().form1;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    form1->activateWindow();
    QApplication::setActiveWindow(form1);
}

void RunningProgram::TearDown() {
    toolkit::clipboard::clear();
    program.reset();
}

void RunningProgram::choose(QMenu* menu, Qt::Key key) {
    ASSERT_TRUE(chooseFromMenu(form1, menu, key)) << "the key chose nothing";
}
