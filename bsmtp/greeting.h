#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The name the client gives in EHLO (RFC 5321 4.1.4): strict servers refuse a bare host
// name such as "vm".
namespace bsmtp {

// The host's fully qualified name when it has one ("host.example.jp"); otherwise an address
// literal ("[192.0.2.1]", "[IPv6:2001:db8::1]") of the local address the system uses
// towards `host` (an address, or a name resolved here: towards its first address, the one
// libcurl tries first; should that fail and another family be taken, the literal is still
// one of this host's addresses).
QByteArray greetingName(QByteArrayView host, int port);

// `url` ("smtp://host:port") with `name` as its path: libcurl greets with the path.
QByteArray urlWithGreeting(QByteArrayView url, QByteArrayView name);

}  // namespace bsmtp
