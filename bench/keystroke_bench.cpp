// keystroke_bench [KEYS]
//
// The byte count that follows every keystroke in the body: the counter recomputes it
// from the whole text at each change. Typed keys (a letter, then Backspace) go to the
// byte-limited body with the counter connected, and to a plain QPlainTextEdit that
// counts nothing; prints the time per keystroke of each and their ratio next to the goal.
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"

namespace {

QString mixedText(int chars) {
    const QString unit = QStringLiteral("今日はabc晴れ") + QChar(0xE63E) + QStringLiteral("ﾊﾞｲﾄ\n");
    QString text;
    while (text.size() < chars)
        text += unit;
    return text.left(chars);
}

// Microseconds per keystroke, the median of several rounds.
double perKey(QWidget* field, int keys) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    std::vector<double> rounds;
    for (int round = 0; round < 7; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < keys / 2; ++i) {
            QApplication::sendEvent(field, &press);
            QApplication::sendEvent(field, &back);
        }
        const auto end = std::chrono::steady_clock::now();
        rounds.push_back(std::chrono::duration<double, std::micro>(end - start).count() / keys);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int keys = argc > 1 ? std::atoi(argv[1]) : 2000;
    std::printf("byte count per keystroke in the body (offscreen, median of 7 rounds of %d keys)\n",
                keys);
    bool met = true;
    for (int chars : {250, 2500}) {
        toolkit::ByteLimitedMemo body;
        qsizetype shown = 0;
        QObject::connect(&body, &QPlainTextEdit::textChanged, [&] { shown = body.byteLength(); });
        body.setText(cp932::toCrLf(mixedText(chars)));
        body.moveCursor(QTextCursor::End);

        QPlainTextEdit plain;
        plain.setPlainText(mixedText(chars));
        plain.moveCursor(QTextCursor::End);

        const double b = perKey(&body, keys);
        const double p = perKey(&plain, keys);
        const double countOnly = [&] {
            const QString text = body.text();
            const auto start = std::chrono::steady_clock::now();
            qsizetype sum = 0;
            for (int i = 0; i < keys; ++i)
                sum += cp932::byteLength(text);
            const auto end = std::chrono::steady_clock::now();
            shown += sum & 1;
            return std::chrono::duration<double, std::micro>(end - start).count() / keys;
        }();
        const bool ok = b / p <= 2.0 && b < 1000.0;
        met = met && ok;
        std::printf(
            "  body of %4lld bytes: count alone %6.2f us, keystroke with count %7.2f us, "
            "plain field %7.2f us\n",
            static_cast<long long>(shown), countOnly, b, p);
        std::printf("    ratio %5.2f x   (goal: at most 2.00 x the plain field, under 1 ms)  %s\n",
                    b / p, ok ? "met" : "NOT MET");
    }
    return met ? 0 : 1;
}
