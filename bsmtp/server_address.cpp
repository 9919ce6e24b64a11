#include "bsmtp/server_address.h"

#include <arpa/inet.h>

namespace bsmtp {

namespace {

bool isHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

// A whole IPv6 address: hex digits and colons alone would pass "0e:28f:", which libcurl
// refuses with a message of its own instead of ours.
bool isIpv6Address(QByteArrayView text) {
    in6_addr address{};
    return !text.isEmpty() && text.size() < 64 &&
           ::inet_pton(AF_INET6, text.toByteArray().constData(), &address) == 1;
}

bool allOf(QByteArrayView text, bool (*pred)(char)) {
    for (char c : text) {
        if (!pred(c)) {
            return false;
        }
    }
    return true;
}

// 1-65535 in decimal digits, or 0 when it is not one.
int parsePort(QByteArrayView text) {
    if (text.isEmpty() || text.size() > 5) {
        return 0;
    }
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
        port = port * 10 + (c - '0');
    }
    return port <= 65535 ? port : 0;
}

struct Authority {
    bool ok = false;
    QByteArray host;      // as written in a URL (IPv6 in brackets)
    QByteArray bareHost;  // IPv6 without brackets
    int port = 0;         // 0 when none was given
};

Authority parseAuthority(QByteArrayView text) {
    Authority a;
    QByteArrayView portText;
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        if (close < 0) {
            return a;
        }
        const QByteArrayView inside = text.sliced(1, close - 1);
        if (!isIpv6Address(inside)) {
            return a;
        }
        a.bareHost = inside.toByteArray();
        a.host = "[" + a.bareHost + "]";
        const QByteArrayView rest = text.sliced(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(':')) {
                return a;
            }
            portText = rest.sliced(1);
            if ((a.port = parsePort(portText)) == 0) {
                return a;
            }
        }
        a.ok = true;
        return a;
    }
    if (text.count(':') > 1) {
        // An IPv6 address written without brackets cannot carry a port.
        if (!isIpv6Address(text)) {
            return a;
        }
        a.bareHost = text.toByteArray();
        a.host = "[" + a.bareHost + "]";
        a.ok = true;
        return a;
    }
    const qsizetype colon = text.indexOf(':');
    const QByteArrayView host = colon >= 0 ? text.first(colon) : text;
    if (host.isEmpty() || !allOf(host, isHostChar)) {
        return a;
    }
    if (colon >= 0 && (a.port = parsePort(text.sliced(colon + 1))) == 0) {
        return a;
    }
    a.host = a.bareHost = host.toByteArray();
    a.ok = true;
    return a;
}

}  // namespace

QByteArrayView trimBlanks(QByteArrayView text) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t')) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t')) {
        text.chop(1);
    }
    return text;
}

ServerAddress parseServer(QByteArrayView setting) {
    ServerAddress out;
    const QByteArrayView text = trimBlanks(setting);
    if (text.isEmpty()) {
        out.problem = ServerAddress::Problem::Empty;
        return out;
    }
    QByteArrayView rest = text;
    QByteArray scheme;
    const qsizetype sep = text.indexOf("://");
    if (sep >= 0) {
        scheme = text.first(sep).toByteArray().toLower();
        if (scheme != "smtp" && scheme != "smtps") {
            out.problem = ServerAddress::Problem::BadScheme;
            out.scheme = text.first(std::min<qsizetype>(sep, 20)).toByteArray();
            return out;
        }
        rest = text.sliced(sep + 3);
        if (rest.endsWith('/')) {
            rest.chop(1);
        }
    }
    const Authority a = parseAuthority(rest);
    if (!a.ok) {
        out.problem = ServerAddress::Problem::Malformed;
        return out;
    }
    out.host = a.bareHost;
    if (scheme.isEmpty()) {
        const int port = a.port != 0 ? a.port : 587;
        out.implicitTls = port == 465;
        scheme = out.implicitTls ? "smtps" : "smtp";
        out.url = scheme + "://" + a.host + ":" + QByteArray::number(port);
        out.port = port;
        return out;
    }
    out.implicitTls = scheme == "smtps";
    out.port = a.port != 0 ? a.port : out.implicitTls ? 465 : 25;
    out.url = scheme + "://" + a.host;
    if (a.port != 0) {
        out.url += ":" + QByteArray::number(a.port);
    }
    return out;
}

}  // namespace bsmtp
