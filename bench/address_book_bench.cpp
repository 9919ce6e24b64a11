// Address book speed: showing the window (load, fill the list, first paint), closing
// it (save), one keystroke of the reading search and the sort after a registration,
// for books of 1,000, 10,000 and 100,000 entries. Each figure is printed next to its
// goal.
#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>

#include "addressbook/address_book.h"
#include "addressbook/address_book_model.h"
#include "addressbook/address_book_window.h"
#include "app/settings_file.h"
#include "program/application.h"
#include "toolkit/byte_limited_edit.h"
#include "toolkit/cp932.h"

namespace {

QString randomReading(QRandomGenerator& rng) {
    static const QString hiragana = QStringLiteral(
        "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわ"
        "ん");
    static const QString katakana = QStringLiteral(
        "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワ"
        "ン");
    static const QString latin =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const QString& set = rng.bounded(3) == 0 ? latin : rng.bounded(2) ? hiragana : katakana;
    QString s;
    const int length = 3 + int(rng.bounded(6));
    for (int i = 0; i < length; ++i) {
        s.append(set[int(rng.bounded(set.size()))]);
    }
    return s;
}

TAddressBook makeBook(int n) {
    QRandomGenerator rng(42);
    TAddressBook book;
    book.reserve(n);
    for (int i = 0; i < n; ++i) {
        book.append({cp932::encode(QStringLiteral("名前%1").arg(i)),
                     cp932::encode(randomReading(rng)),
                     QByteArray("user") + QByteArray::number(i) + "@docomo.ne.jp"});
    }
    return book;
}

// Wall time and this thread's processor time: on a shared machine the wall time also
// counts the waits for a processor, the processor time leaves out the waits for the disk.
class Timer {
  public:
    Timer() { restart(); }
    void restart() {
        wall_.start();
        cpu_ = cpuNow();
    }
    std::pair<double, double> elapsed() const {
        return {double(wall_.nsecsElapsed()) / 1e6, (cpuNow() - cpu_) / 1e6};
    }

  private:
    static double cpuNow() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
    }
    QElapsedTimer wall_;
    double cpu_ = 0;
};

using Figure = std::pair<double, double>;

Figure median(QList<Figure> v) {
    QList<double> wall, cpu;
    for (const Figure& f : v) {
        wall.append(f.first);
        cpu.append(f.second);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

struct Figures {
    Figure fileLoad, fileSave, show, close, sortFirst, sortNext, keyMiss, keyLast;
};

Figures measure(int n, int runs) {
    QTemporaryDir dir;
    settings_file::setProgramDirectoryForTests(dir.path());
    const TAddressBook book = makeBook(n);
    address_book::save(address_book::path(), book);
    // The last entry gets a reading no other has, so its search walks the whole list.
    TAddressBook withLast = book;
    withLast.last().reading = cp932::encode(QStringLiteral("ゑゑゑ"));
    address_book::save(address_book::path(), withLast);

    QList<Figure> fileLoads, fileSaves;
    // The file alone, without the window.
    for (int run = 0; run < runs; ++run) {
        Timer t;
        const TAddressBook loaded = address_book::load(address_book::path());
        fileLoads.append(t.elapsed());
        t.restart();
        address_book::save(address_book::path(), loaded);
        fileSaves.append(t.elapsed());
    }

    Application program;
    TForm4* form4 = program.forms().form4;
    QList<Figure> shows, closes, sortsFirst, sortsNext, keysMiss, keysLast;
    for (int run = 0; run < runs; ++run) {
        Timer t;
        form4->showWindow();
        form4->repaint();
        QCoreApplication::processEvents();
        shows.append(t.elapsed());

        // A registration sorts the whole list; the first one also computes the keys.
        t.restart();
        form4->addEntry({"new", cp932::encode(QStringLiteral("ぬぬ")), "n@x.jp"});
        form4->repaint();
        QCoreApplication::processEvents();
        sortsFirst.append(t.elapsed());
        t.restart();
        form4->addEntry({"new2", cp932::encode(QStringLiteral("ぬね")), "n@x.jp"});
        form4->repaint();
        QCoreApplication::processEvents();
        sortsNext.append(t.elapsed());

        // One keystroke that matches nothing (the whole list is read) and one that
        // finds the entry at the very end.
        form4->LabeledEdit1->setFocus();
        form4->LabeledEdit1->setText(QStringLiteral("ゑ"));
        QCoreApplication::processEvents();
        t.restart();
        QTest::keyClick(form4->LabeledEdit1, Qt::Key_Q);
        QCoreApplication::processEvents();
        keysMiss.append(t.elapsed());
        QTest::keyClick(form4->LabeledEdit1, Qt::Key_Backspace);
        form4->LabeledEdit1->setText(QStringLiteral("ゑゑ"));
        QCoreApplication::processEvents();
        t.restart();
        QTest::sendKeyEvent(QTest::Click, form4->LabeledEdit1, Qt::Key_unknown,
                            QStringLiteral("ゑ"), Qt::NoModifier);
        QCoreApplication::processEvents();
        keysLast.append(t.elapsed());
        form4->LabeledEdit1->setText({});

        t.restart();
        form4->close();
        closes.append(t.elapsed());
        QCoreApplication::processEvents();
        // The next showing reads the book as the first did.
        address_book::save(address_book::path(), withLast);
    }
    settings_file::setProgramDirectoryForTests({});
    return {median(fileLoads),  median(fileSaves), median(shows),    median(closes),
            median(sortsFirst), median(sortsNext), median(keysMiss), median(keysLast)};
}

void line(const char* what, int n, Figure value, const char* goal) {
    std::printf("  %-46s %7d entries %9.2f ms wall %9.2f ms cpu   goal: %s\n", what, n, value.first,
                value.second, goal);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QList<int> sizes = {1000, 10000, 100000};
    QList<Figures> figures;
    for (int n : sizes) {
        figures.append(measure(n, n >= 100000 ? 3 : 5));
    }
    std::printf("Address book (median of runs)\n");
    for (int i = 0; i < sizes.size(); ++i) {
        line("show (load, fill the list, first paint)", sizes[i], figures[i].show,
             sizes[i] == 10000 ? "< 60 ms" : "linear");
    }
    std::printf("  show growth 1,000 -> 10,000: x%.1f, 10,000 -> 100,000: x%.1f   goal: <= x10\n",
                figures[1].show.first / figures[0].show.first,
                figures[2].show.first / figures[1].show.first);
    for (int i = 0; i < sizes.size(); ++i) {
        line("of which reading address.ini", sizes[i], figures[i].fileLoad, "-");
    }
    for (int i = 0; i < sizes.size(); ++i) {
        line("of which writing address.ini", sizes[i], figures[i].fileSave, "-");
    }
    for (int i = 0; i < sizes.size(); ++i) {
        line("close (save)", sizes[i], figures[i].close, sizes[i] == 10000 ? "< 60 ms" : "-");
    }
    for (int i = 0; i < sizes.size(); ++i) {
        line("search keystroke, no match", sizes[i], figures[i].keyMiss,
             sizes[i] == 100000 ? "< 2 ms" : "-");
        line("search keystroke, match at the last row", sizes[i], figures[i].keyLast,
             sizes[i] == 100000 ? "< 2 ms" : "-");
    }
    for (int i = 0; i < sizes.size(); ++i) {
        line("sort after the first registration (keys made)", sizes[i], figures[i].sortFirst,
             sizes[i] == 10000 ? "< 30 ms" : "-");
        line("sort after a further registration", sizes[i], figures[i].sortNext,
             sizes[i] == 10000 ? "< 30 ms" : "-");
    }
    return 0;
}
