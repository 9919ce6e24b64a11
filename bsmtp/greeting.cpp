#include "bsmtp/greeting.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>

namespace bsmtp {

namespace {

bool isDottedName(QByteArrayView name) {
    if (!name.contains('.') || name.startsWith('.') || name.endsWith('.') || name.size() > 253 ||
        name.startsWith("localhost")) {
        return false;
    }
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The host name as the system knows it in full: the name itself when it has a dot, else
// the canonical name the resolver gives for it.
QByteArray fullyQualifiedName() {
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) != 0) {
        return {};
    }
    if (isDottedName(host)) {
        return host;
    }
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) != 0) {
        return {};
    }
    QByteArray name;
    if (found->ai_canonname != nullptr && isDottedName(found->ai_canonname)) {
        name = found->ai_canonname;
    }
    ::freeaddrinfo(found);
    return name;
}

QByteArray numeric(const sockaddr* address, socklen_t length) {
    char text[INET6_ADDRSTRLEN] = {};
    if (::getnameinfo(address, length, text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0) {
        return {};
    }
    // A link-local address's zone means nothing to the server.
    const QByteArray out(text);
    return out.left(out.indexOf('%') >= 0 ? out.indexOf('%') : out.size());
}

// The local address the system would use to reach `to`: a datagram socket is connected,
// which sends nothing.
QByteArray localAddressTowards(const addrinfo& to) {
    const int fd = ::socket(to.ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return {};
    }
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    QByteArray out;
    if (::connect(fd, to.ai_addr, to.ai_addrlen) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
        out = numeric(reinterpret_cast<sockaddr*>(&local), length);
    }
    ::close(fd);
    return out;
}

}  // namespace

QByteArray greetingName(QByteArrayView host, int port) {
    QByteArray name = fullyQualifiedName();
    if (!name.isEmpty()) {
        return name;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const QByteArray service = QByteArray::number(port);
    if (::getaddrinfo(host.toByteArray().constData(), service.constData(), &hints, &found) == 0) {
        for (const addrinfo* a = found; a != nullptr && name.isEmpty(); a = a->ai_next) {
            const QByteArray local = localAddressTowards(*a);
            if (!local.isEmpty()) {
                name = a->ai_family == AF_INET6 ? "[IPv6:" + local + "]" : "[" + local + "]";
            }
        }
        ::freeaddrinfo(found);
    }
    if (name.isEmpty()) {
        // The server cannot be reached anyway; the connection attempt will say so.
        name = "[127.0.0.1]";
    }
    return name;
}

QByteArray urlWithGreeting(QByteArrayView url, QByteArrayView name) {
    return url.toByteArray() + "/" + name.toByteArray().toPercentEncoding();
}

}  // namespace bsmtp
