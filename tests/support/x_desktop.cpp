#include "support/x_desktop.h"

#include <gtest/gtest.h>

#include <QTest>

XDesktop::XDesktop() {
    // The server names the display it took on its output.
    x_.start(QStringLiteral("Xvfb"),
             {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
              QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
              QStringLiteral("tcp")});
    QByteArray number;
    const bool named = QTest::qWaitFor(
        [&] {
            number += x_.readAllStandardOutput();
            return number.endsWith('\n') || x_.state() == QProcess::NotRunning;
        },
        30000);
    if (!named || number.trimmed().isEmpty()) {
        ADD_FAILURE() << "Xvfb did not start";
        return;
    }
    display_ = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    wm_.setProcessEnvironment(environment());
    wm_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!wm_.waitForStarted()) {
        ADD_FAILURE() << "openbox did not start";
        return;
    }
    // openbox manages the screen once it has set its supporting-check window.
    started_ = QTest::qWaitFor(
        [&] {
            return run(QStringLiteral("xprop"),
                       {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .out.contains("window id");
        },
        20000);
    EXPECT_TRUE(started_) << "openbox did not take the screen; "
                          << (wm_.state() == QProcess::NotRunning ? "it ended: " : "it runs: ")
                          << wm_.readAllStandardError().toStdString();
}

XDesktop::~XDesktop() {
    for (QProcess* p : {&wm_, &x_}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(3000)) {
            p->kill();
            p->waitForFinished();
        }
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
