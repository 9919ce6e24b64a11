// x11_input_probe: the program's windows on a real X display (the caller starts it
// on xcb under a window manager), driven with X input by xdotool. Drags and the
// middle button go through the X server and Qt's own drag loop, which the offscreen
// platform does not have. Prints one "name: value" line per finding.
#include <QApplication>
#include <QClipboard>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <cstdio>
#include <functional>

#include "app/settings_file.h"
#include "composer/composer_window.h"
#include "program/application.h"
#include "toolkit/byte_limited_edit.h"

namespace {

void report(const char* name, const QString& value) {
    std::printf("%s: %s\n", name, value.toUtf8().constData());
    std::fflush(stdout);
}

// Runs one chain of xdotool commands while this program keeps handling events, as it
// must inside a drag.
void xdotool(const QStringList& chain) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), chain);
    p.waitForStarted(5000);
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000))
        p.kill();
}

// Waits until `changed` holds, for input whose effect shows.
void until(const std::function<bool()>& changed) {
    if (!QTest::qWaitFor(changed, 5000))
        report("timed out", QString());
}

// For input that must change nothing: no event tells that it has been handled, so
// this waits a short while, handling events, before the caller looks.
void settle() {
    QTest::qWait(300);
}

QStringList at(QPoint p) {
    return {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
            QStringLiteral("sleep"), QStringLiteral("0.2")};
}

// A left-button drag in steps.
void drag(QPoint from, QPoint to) {
    QStringList chain = at(from);
    chain << QStringLiteral("mousedown") << QStringLiteral("1") << QStringLiteral("sleep")
          << QStringLiteral("0.2");
    for (int step = 1; step <= 6; ++step)
        chain << at(from + (to - from) * step / 6);
    chain << QStringLiteral("mouseup") << QStringLiteral("1");
    xdotool(chain);
}

// The screen point in the middle of the body's characters [from, to).
QPoint bodyPoint(toolkit::ByteLimitedMemo* memo, int from, int to) {
    QTextCursor c = memo->textCursor();
    c.setPosition(from);
    const QRect a = memo->cursorRect(c);
    c.setPosition(to);
    const QRect b = memo->cursorRect(c);
    return memo->viewport()->mapToGlobal(QPoint((a.left() + b.left()) / 2, a.center().y()));
}

void select(toolkit::ByteLimitedMemo* memo, int from, int to) {
    QTextCursor c = memo->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    memo->setTextCursor(c);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    settings_file::setProgramDirectoryForTests(dir.path());
    Application program;
    program.show();
    TForm1* form1 = program.forms().form1;
    if (!QTest::qWaitForWindowExposed(form1, 10000))
        return 2;
    // Once the window manager has framed it, the window takes the focus.
    xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
             QStringLiteral("--name"), QStringLiteral("^Mirvane$"),
             QStringLiteral("windowactivate"), QStringLiteral("--sync")});
    if (!QTest::qWaitFor([&] { return form1->isActiveWindow(); }, 10000))
        return 3;
    toolkit::ByteLimitedMemo* body = form1->Memo1;
    // The main window inside the window manager's frame, for a look.
    const QString shots = qEnvironmentVariable("MIRVANE_SCREENSHOTS");
    if (!shots.isEmpty())
        form1->grab().save(shots + QStringLiteral("/main_window_openbox.png"));

    // A word moved by drag inside the body, then Ctrl+Z.
    body->setText(QStringLiteral("one two three"));
    body->setFocus();
    select(body, 4, 8);
    drag(bodyPoint(body, 4, 8), bodyPoint(body, 13, 13) + QPoint(6, 0));
    until([&] { return body->text() != QStringLiteral("one two three"); });
    report("moved", body->text());
    const QString moved = body->text();
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+z")});
    until([&] { return body->text() != moved; });
    report("undone", body->text());

    // Forty characters of the body dragged onto the 30-byte Subject.
    body->setText(QString(40, QLatin1Char('m')));
    select(body, 0, 40);
    drag(bodyPoint(body, 0, 40), form1->Edit3->mapToGlobal(form1->Edit3->rect().center()));
    settle();
    report("subject", form1->Edit3->text());
    report("body after drag", body->text());

    // The middle button over the body with the X selection holding text.
    body->setText(QString());
    QGuiApplication::clipboard()->setText(QStringLiteral("selected elsewhere"),
                                          QClipboard::Selection);
    if (!QTest::qWaitFor([] { return QGuiApplication::clipboard()->ownsSelection(); }))
        report("selection", QStringLiteral("not owned"));
    xdotool(at(body->viewport()->mapToGlobal(body->viewport()->rect().center())) +
            QStringList{QStringLiteral("click"), QStringLiteral("2")});
    settle();
    report("after middle click", body->text());
    report("done", QStringLiteral("yes"));
    std::_Exit(0);
}
