#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <ostream>

// Failures show paths and file names as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// Runs the file helper (file_fault_helper.cpp) with `args`, behind `wrapper` (a
// command such as prlimit, strace or setpriv that then runs the helper).
struct HelperRun {
    bool finished = false;  // exited by itself, not by a signal or the time limit
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline HelperRun runFileHelper(const QStringList& args, const QStringList& wrapper = {}) {
    QProcess p;
    if (wrapper.contains(QStringLiteral("strace"))) {
        // A leak checker (in a sanitizer build) refuses to run under a tracer.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString options = env.value(QStringLiteral("ASAN_OPTIONS"));
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   options + (options.isEmpty() ? "" : ":") + QStringLiteral("detect_leaks=0"));
        p.setProcessEnvironment(env);
    }
    QStringList command = wrapper;
    command << QStringLiteral(FILE_FAULT_HELPER) << args;
    p.start(command.takeFirst(), command);
    HelperRun r;
    if (!p.waitForStarted(10000))
        return r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
    }
    r.finished = p.exitStatus() == QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}
