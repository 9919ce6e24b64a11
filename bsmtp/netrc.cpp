#include "bsmtp/netrc.h"

#include "bsmtp/fd_read.h"

#include <QFile>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>

namespace bsmtp {

namespace {

constexpr qint64 kMaxNetrcSize = 1 << 20;
// libcurl reads the file with fgets into a buffer of this size: a longer line goes on as
// the next one.
constexpr qsizetype kLineBuffer = 4096;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool sameWord(QByteArrayView a, const char* keyword) {
    return a.compare(QByteArrayView(keyword), Qt::CaseInsensitive) == 0;
}

// The lines as libcurl's reader gets them: each up to and including its LF, at most
// kLineBuffer - 1 bytes, and ending at a zero byte.
QList<QByteArrayView> lines(QByteArrayView text) {
    QList<QByteArrayView> out;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf('\n', pos);
        end = end < 0 ? text.size() : end + 1;
        end = std::min(end, pos + kLineBuffer - 1);
        QByteArrayView line = text.sliced(pos, end - pos);
        const qsizetype zero = line.indexOf('\0');
        out.append(zero >= 0 ? line.first(zero) : line);
        pos = end;
    }
    return out;
}

}  // namespace

// The state machine of libcurl 7.88's netrc reader, so that a file means to this library
// what it means to curl: comments from a '#' that starts a token to the end of the line,
// keywords in any case, CR LF as LF, a macro ending at an empty line, the first entry (machine
// or default) that gives both login and password winning.
NetrcLookup findCredentials(QByteArrayView netrcText, QByteArrayView host) {
    enum class State { Nothing, HostFound, HostValid, MacroDefinition };
    NetrcLookup out;
    State state = State::Nothing;
    bool hostMatched = false;
    bool haveLogin = false;
    bool havePassword = false;
    bool expectLogin = false;
    bool expectPassword = false;
    bool done = false;

    for (const QByteArrayView line : lines(netrcText)) {
        if (done) {
            break;
        }
        if (state == State::MacroDefinition) {
            if (line.isEmpty() || (line.front() != '\n' && line.front() != '\r')) {
                continue;
            }
            state = State::Nothing;
        }
        qsizetype pos = 0;
        while (pos < line.size()) {
            if (haveLogin && havePassword && !out.credentials.login.isEmpty() &&
                !out.credentials.password.isEmpty()) {
                done = true;
                break;
            }
            while (pos < line.size() && isSpace(line[pos])) {
                ++pos;
            }
            if (pos >= line.size() || line[pos] == '#') {
                break;  // the end of the line, or a comment to its end
            }
            QByteArray token;
            if (line[pos] == '"') {
                bool escape = false;
                bool closed = false;
                ++pos;
                while (pos < line.size()) {
                    char c = line[pos++];
                    if (!escape) {
                        if (c == '\\') {
                            escape = true;
                            continue;
                        }
                        if (c == '"') {
                            closed = true;
                            break;
                        }
                    } else {
                        escape = false;
                        c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
                    }
                    token += c;
                }
                if (escape || !closed) {
                    // curl refuses the whole transfer then.
                    NetrcLookup bad;
                    bad.problem = NetrcLookup::Problem::Syntax;
                    return bad;
                }
                ++pos;  // curl steps over the character after the closing quote
            } else {
                const qsizetype start = pos;
                while (pos < line.size() && !isSpace(line[pos])) {
                    ++pos;
                }
                token = line.sliced(start, pos - start).toByteArray();
                ++pos;
            }

            switch (state) {
                case State::Nothing:
                    if (sameWord(token, "macdef")) {
                        state = State::MacroDefinition;
                    } else if (sameWord(token, "machine")) {
                        state = State::HostFound;
                    } else if (sameWord(token, "default")) {
                        state = State::HostValid;
                        hostMatched = true;
                    }
                    break;
                case State::MacroDefinition:
                    break;
                case State::HostFound:
                    if (QByteArrayView(token).compare(host, Qt::CaseInsensitive) == 0) {
                        state = State::HostValid;
                        hostMatched = true;
                    } else {
                        state = State::Nothing;
                    }
                    break;
                case State::HostValid:
                    if (expectLogin) {
                        out.credentials.login = token;
                        haveLogin = true;
                        expectLogin = false;
                    } else if (expectPassword) {
                        out.credentials.password = token;
                        havePassword = true;
                        expectPassword = false;
                    } else if (sameWord(token, "login")) {
                        expectLogin = true;
                    } else if (sameWord(token, "password")) {
                        expectPassword = true;
                    } else if (sameWord(token, "machine")) {
                        state = State::HostFound;
                    } else if (sameWord(token, "default")) {
                        state = State::HostValid;
                        hostMatched = true;
                    }
                    break;
            }
        }
    }
    // libcurl authenticates only with a user name.
    out.found = hostMatched && haveLogin;
    if (!out.found) {
        out.credentials = {};
    }
    return out;
}

NetrcLookup lookUpNetrc(const QString& path, QByteArrayView host) {
    NetrcLookup out;
    const QByteArray localPath = QFile::encodeName(path);
    const int fd = ::open(localPath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            out.problem = NetrcLookup::Problem::Unreadable;
        }
        return out;
    }
    struct stat st {};
    QByteArray text;
    if (::fstat(fd, &st) != 0) {
        out.problem = NetrcLookup::Problem::Unreadable;
    } else if (!S_ISREG(st.st_mode)) {
        out.problem = NetrcLookup::Problem::NotRegular;
    } else if (st.st_uid != ::geteuid()) {
        out.problem = NetrcLookup::Problem::NotOwner;
    } else if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        out.problem = NetrcLookup::Problem::OthersCanRead;
    } else if (st.st_size > kMaxNetrcSize) {
        out.problem = NetrcLookup::Problem::Unreadable;
    } else {
        text.resize(st.st_size);
        const qint64 got = readUpTo(fd, text.data(), text.size());
        if (got != text.size()) {
            out.problem = NetrcLookup::Problem::Unreadable;
        }
    }
    ::close(fd);
    if (out.problem != NetrcLookup::Problem::None) {
        return out;
    }
    out = findCredentials(text, host);
    // The password has no business staying in memory longer than needed.
    text.fill('\0');
    return out;
}

QString defaultNetrcPath() {
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty()) {
        if (const passwd* pw = ::getpwuid(::geteuid())) {
            home = pw->pw_dir;
        }
    }
    return QFile::decodeName(home) + QStringLiteral("/.netrc");
}

}  // namespace bsmtp
