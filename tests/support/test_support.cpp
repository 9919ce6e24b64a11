#include "test_support.h"

#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "app/settings_file.h"

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TempProgramDir::TempProgramDir() {
    EXPECT_TRUE(dir_.isValid());
    settings_file::setProgramDirectoryForTests(dir_.path());
}

TempProgramDir::~TempProgramDir() {
    settings_file::setProgramDirectoryForTests({});
}

QString TempProgramDir::settingsPath() const {
    return settings_file::path();
}

QByteArray TempProgramDir::read(const QString& name) const {
    return fileBytes(file(name));
}

QByteArray TempProgramDir::settingsBytes() const {
    return fileBytes(settingsPath());
}

IniDocument TempProgramDir::settings() const {
    return IniDocument::fromBytes(settingsBytes());
}

void TempProgramDir::write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QString saveScreenshot(QWidget* widget, const QString& name) {
    QString dir = qEnvironmentVariable("MIRVANE_SCREENSHOTS", QStringLiteral("screenshots"));
    QDir().mkpath(dir);
    QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    EXPECT_TRUE(widget->grab().save(path)) << path.toStdString();
    return path;
}

void pressOnBox(QWidget* box, int key) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != box)
        target = box;
    QTest::keyClick(target, Qt::Key(key));
}

void closeBoxByFrame(QWidget* box) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
        box->windowHandle());
}

IniDocument settingsIn(const QString& programDir) {
    return IniDocument::fromBytes(
        fileBytes(QDir(programDir).filePath(QStringLiteral("mirvane.ini"))));
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool showActive(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void focus(QWidget* field) {
    field->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(field->hasFocus()) << field->objectName().toStdString();
}

bool chooseFromMenu(QWidget* window, QMenu* menu, Qt::Key key) {
    menu->popup(window->mapToGlobal(QPoint(0, 0)));
    if (!QTest::qWaitForWindowExposed(menu)) {
        ADD_FAILURE() << "menu " << menu->objectName().toStdString() << " did not open";
        menu->hide();
        return false;
    }
    QTest::keyClick(menu, key);
    const bool closed = !menu->isVisible();
    menu->hide();
    return closed;
}

bool holdsFor(const std::function<bool()>& condition, int ms) {
    const QDeadlineTimer deadline(ms);
    bool held = true;
    // Ends early only when the condition fails.
    static_cast<void>(QTest::qWaitFor(
        [&] {
            held = condition();
            return !held || deadline.hasExpired();
        },
        ms + 1000));
    return held;
}
