#include "bsmtp/netrc.h"

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

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Tokenizer {
  public:
    explicit Tokenizer(QByteArrayView text) : text_(text) {}

    bool next(QByteArray& token) {
        while (pos_ < text_.size() && isSpace(text_[pos_])) {
            ++pos_;
        }
        if (pos_ >= text_.size()) {
            return false;
        }
        token.clear();
        if (text_[pos_] == '"') {
            ++pos_;
            while (pos_ < text_.size() && text_[pos_] != '"') {
                char c = text_[pos_++];
                if (c == '\\' && pos_ < text_.size()) {
                    c = text_[pos_++];
                    c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
                }
                token += c;
            }
            ++pos_;  // the closing quote
            return true;
        }
        while (pos_ < text_.size() && !isSpace(text_[pos_])) {
            token += text_[pos_++];
        }
        return true;
    }

    // A macro definition runs to the next empty line.
    void skipMacro() {
        const qsizetype end = text_.indexOf("\n\n", pos_);
        pos_ = end < 0 ? text_.size() : end + 2;
    }

  private:
    QByteArrayView text_;
    qsizetype pos_ = 0;
};

}  // namespace

NetrcLookup findCredentials(QByteArrayView netrcText, QByteArrayView host) {
    NetrcLookup out;
    const QByteArray wanted = host.toByteArray().toLower();
    Tokenizer tokens(netrcText);
    QByteArray token;

    struct Entry {
        bool active = false;
        bool isDefault = false;
        bool hasLogin = false;
        Credentials credentials;
    };
    Entry current;
    Entry defaultEntry;
    bool matched = false;

    auto finish = [&]() {
        if (!current.active || !current.hasLogin) {
            return;
        }
        if (current.isDefault) {
            if (!defaultEntry.active) {
                defaultEntry = current;
            }
        } else if (!matched) {
            matched = true;
            out.credentials = current.credentials;
        }
    };

    while (tokens.next(token)) {
        if (token == "machine") {
            finish();
            current = Entry{};
            QByteArray name;
            if (!tokens.next(name)) {
                break;
            }
            current.active = name.toLower() == wanted;
        } else if (token == "default") {
            finish();
            current = Entry{};
            current.active = true;
            current.isDefault = true;
        } else if (token == "login" || token == "password" || token == "account") {
            QByteArray value;
            if (!tokens.next(value)) {
                break;
            }
            if (token == "login") {
                current.credentials.login = value;
                current.hasLogin = true;
            } else if (token == "password") {
                current.credentials.password = value;
            }
        } else if (token == "macdef") {
            finish();
            current = Entry{};
            tokens.skipMacro();
        }
    }
    finish();
    if (matched) {
        out.found = true;
    } else if (defaultEntry.active) {
        out.found = true;
        out.credentials = defaultEntry.credentials;
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
        qint64 got = 0;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            got += n;
        }
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
