#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Credentials for the server, from the user's ~/.netrc. Passwords are never read from the
// settings file.
namespace bsmtp {

struct Credentials {
    QByteArray login;
    QByteArray password;
};

struct NetrcLookup {
    enum class Problem {
        None,
        OthersCanRead,  // group or other permission bits are set
        NotOwner,       // belongs to another user
        NotRegular,
        Unreadable,
        Syntax,  // a quoted token without its closing quote: curl refuses such a file
    };

    Problem problem = Problem::None;
    bool found = false;  // an entry for the host (or a default entry) with a login
    Credentials credentials;
};

// Entries in netrc syntax, read exactly as libcurl 7.88 reads them: "machine NAME login USER
// password PASS", "default ...", "macdef NAME" up to an empty line, '#' comments; tokens may
// be double-quoted with backslash escapes. The first entry for `host` (compared without
// case) or "default" supplies the credentials.
NetrcLookup findCredentials(QByteArrayView netrcText, QByteArrayView host);

// Reads `path` (a missing file means no credentials) and looks `host` up. The file is
// refused when anyone but its owner, the current user, may read or write it.
NetrcLookup lookUpNetrc(const QString& path, QByteArrayView host);

// $HOME/.netrc, or the passwd entry's home when HOME is not set.
QString defaultNetrcPath();

}  // namespace bsmtp
