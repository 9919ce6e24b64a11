#include "support/x_desktop.h"

#include <gtest/gtest.h>

#include <QTest>

XDesktop::XDesktop() {
    // The suite's one starter of Xvfb with openbox, running a command that names the
    // display and then waits until its input is closed.
    x_.start(QStringLiteral("/bin/sh"),
             {QStringLiteral(MIRVANE_RUN_UNDER_OPENBOX), QStringLiteral("/bin/sh"),
              QStringLiteral("-c"), QStringLiteral("echo \"$DISPLAY\"; exec cat >/dev/null")});
    QByteArray name;
    started_ = QTest::qWaitFor(
        [&] {
            name += x_.readAllStandardOutput();
            return name.endsWith('\n') || x_.state() == QProcess::NotRunning;
        },
        60000);
    started_ = started_ && x_.state() == QProcess::Running && !name.trimmed().isEmpty();
    EXPECT_TRUE(started_) << "no display: " << x_.readAllStandardError().toStdString();
    display_ = QString::fromLatin1(name.trimmed());
}

XDesktop::~XDesktop() {
    // Its input closed, the command ends and the starter takes the server and openbox
    // down with it.
    x_.closeWriteChannel();
    if (!x_.waitForFinished(10000)) {
        x_.kill();
        x_.waitForFinished();
    }
}

QProcessEnvironment XDesktop::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("SESSION_MANAGER"));
    return env;
}

XDesktop::Result XDesktop::run(const QString& program, const QStringList& args,
                               int timeoutMs) const {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
            p.readAllStandardOutput().trimmed()};
}

QByteArray XDesktop::activate(const QString& pattern) const {
    const Result found = xdo({QStringLiteral("search"), QStringLiteral("--sync"),
                              QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern});
    const QByteArray id = found.out.split('\n').value(0);
    if (!id.isEmpty()) {
        xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::fromLatin1(id)});
    }
    return id;
}

void XDesktop::keys(const QStringList& keys) const {
    for (const QString& k : keys)
        xdo({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), k});
}

bool XDesktop::waitUntilGone(const QByteArray& id) const {
    return QTest::qWaitFor(
        [&] {
            const Result info =
                run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::fromLatin1(id)});
            return !info.ok || !info.out.contains("IsViewable");
        },
        10000);
}

QByteArrayList XDesktop::shownWindows() const {
    // An empty pattern also matches the pop-ups, which have no name.
    return xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--maxdepth"), QStringLiteral("1"), QStringLiteral("--name"),
                QString()})
        .out.split('\n');
}

bool XDesktop::showsNewWindow(const std::function<void()>& action) const {
    const QByteArrayList before = shownWindows();
    action();
    return QTest::qWaitFor(
        [&] {
            for (const QByteArray& id : shownWindows()) {
                if (!before.contains(id))
                    return true;
            }
            return false;
        },
        10000);
}

bool XDesktop::chooseFromMenu(const QString& opening, const QString& item) const {
    if (!showsNewWindow([&] { keys({opening}); }))
        return false;
    xdo({QStringLiteral("key"), item});
    return true;
}
