#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The name the client gives in EHLO (RFC 5321 4.1.4): strict servers refuse a bare host
// name such as "vm".
namespace bsmtp {

struct Greeting {
    QByteArray name;     // "host.example.jp", "[192.0.2.1]" or "[IPv6:2001:db8::1]"
    QByteArray address;  // the server address the literal was made for; empty otherwise
};

// The host's fully qualified name when it has one; otherwise an address literal of the
// local address that reaches `host` (an address or a name, resolved here). The caller
// connects to `address`, so that the literal is the connection's own.
Greeting greetingFor(QByteArrayView host, int port);

// `url` ("smtp://host:port") with `name` as its path: libcurl greets with the path.
QByteArray urlWithGreeting(QByteArrayView url, QByteArrayView name);

}  // namespace bsmtp
