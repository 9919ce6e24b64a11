#include "test_support.h"

#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "app/settings_file.h"

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
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
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
