#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The server setting turned into the URL libcurl is given.
namespace bsmtp {

struct ServerAddress {
    enum class Problem { None, Empty, BadScheme, Malformed };

    Problem problem = Problem::None;
    QByteArray url;   // "smtp://host:587", "smtps://host:465", ...
    QByteArray host;  // without brackets: what the netrc names
    int port = 0;     // the port the URL names or implies
    bool implicitTls = false;
    QByteArray scheme;  // the refused scheme, for the message
};

// Accepts "host" (submission port 587, STARTTLS), "host:port" (465 means implicit TLS),
// "smtps://host[:port]" (implicit TLS) and "smtp://host[:port]" (as given, libcurl's default
// port 25). IPv6 addresses go in brackets. Anything else is refused: libcurl would otherwise
// guess a protocol from a bare name, or take user names, paths and queries from the text.
ServerAddress parseServer(QByteArrayView setting);

// `text` without the blanks and tabs around it; line breaks stay, to be refused.
QByteArrayView trimBlanks(QByteArrayView text);

}  // namespace bsmtp
