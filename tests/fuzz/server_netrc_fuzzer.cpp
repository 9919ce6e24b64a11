// The server setting and the netrc, both text the user writes by hand.
//
// Input: the server setting, then optionally a zero byte and a netrc. An accepted setting
// must give a URL of scheme, host and port alone, as libcurl itself reads it back: no user
// name, password, path, query or fragment can reach libcurl through it.

#include <QByteArray>

#include <arpa/inet.h>
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "bsmtp/netrc.h"
#include "bsmtp/server_address.h"
#include "fuzz_check.h"

namespace {

struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};

QByteArray part(CURLU* url, CURLUPart which) {
    char* text = nullptr;
    if (curl_url_get(url, which, &text, 0) != CURLUE_OK)
        return {};
    QByteArray out(text);
    curl_free(text);
    return out;
}

bool hasPart(CURLU* url, CURLUPart which) {
    char* text = nullptr;
    const bool found = curl_url_get(url, which, &text, 0) == CURLUE_OK;
    curl_free(text);
    return found;
}

// libcurl writes IP addresses in their short form, and the numeric forms of IPv4 ("127.1",
// "0x7f.0.0.1") as four decimals: the same address the resolver would give.
bool sameAddress(const QByteArray& libcurls, const QByteArray& written) {
    in6_addr a6{};
    in6_addr b6{};
    if (::inet_pton(AF_INET6, libcurls.constData(), &a6) == 1)
        return ::inet_pton(AF_INET6, written.constData(), &b6) == 1 &&
               std::memcmp(&a6, &b6, sizeof a6) == 0;
    in_addr a{};
    in_addr b{};
    return ::inet_pton(AF_INET, libcurls.constData(), &a) == 1 &&
           ::inet_aton(written.constData(), &b) != 0 && a.s_addr == b.s_addr;
}

void checkServer(const QByteArray& setting) {
    const bsmtp::ServerAddress a = bsmtp::parseServer(setting);
    if (a.problem != bsmtp::ServerAddress::Problem::None) {
        FUZZ_CHECK(a.url.isEmpty(), "setting", setting, "url", a.url);
        return;
    }
    FUZZ_CHECK(!a.host.isEmpty() && setting.contains(a.host), "setting", setting, "host", a.host);
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    const CURLUcode parsed = curl_url_set(url.get(), CURLUPART_URL, a.url.constData(), 0);
    FUZZ_CHECK(parsed == CURLUE_OK, "setting", setting, "url", a.url, "libcurl's code",
               static_cast<long long>(parsed));
    const QByteArray scheme = part(url.get(), CURLUPART_SCHEME);
    FUZZ_CHECK(scheme == (a.implicitTls ? "smtps" : "smtp"), "setting", setting, "url", a.url);
    QByteArray host = part(url.get(), CURLUPART_HOST);
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.sliced(1, host.size() - 2);
    FUZZ_CHECK(host.toLower() == a.host.toLower() || sameAddress(host, a.host), "setting", setting,
               "url", a.url, "libcurl's host", host);
    FUZZ_CHECK(!hasPart(url.get(), CURLUPART_USER) && !hasPart(url.get(), CURLUPART_PASSWORD) &&
                   !hasPart(url.get(), CURLUPART_OPTIONS) && !hasPart(url.get(), CURLUPART_QUERY) &&
                   !hasPart(url.get(), CURLUPART_FRAGMENT) && !hasPart(url.get(), CURLUPART_ZONEID),
               "setting", setting, "url", a.url);
    const QByteArray path = part(url.get(), CURLUPART_PATH);
    FUZZ_CHECK(path.isEmpty() || path == "/", "setting", setting, "url", a.url, "path", path);
    // What libcurl would connect to, as the setting means it.
    const QByteArray port = part(url.get(), CURLUPART_PORT);
    if (!port.isEmpty())
        FUZZ_CHECK(a.url.endsWith(':' + port), "setting", setting, "url", a.url);
}

void checkNetrc(const QByteArray& text, const QByteArray& host) {
    const bsmtp::NetrcLookup lookup = bsmtp::findCredentials(text, host);
    // Host names are matched without regard to case.
    const bsmtp::NetrcLookup upper = bsmtp::findCredentials(text, host.toUpper());
    FUZZ_CHECK(lookup.found == upper.found && lookup.credentials.login == upper.credentials.login &&
                   lookup.credentials.password == upper.credentials.password,
               "netrc", text, "host", host);
    FUZZ_CHECK(lookup.found ||
                   (lookup.credentials.login.isEmpty() && lookup.credentials.password.isEmpty()),
               "netrc", text, "host", host);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = input.indexOf('\0');
    const QByteArray setting = split < 0 ? input : input.first(split);
    checkServer(setting);
    if (split >= 0) {
        const bsmtp::ServerAddress a = bsmtp::parseServer(setting);
        checkNetrc(input.sliced(split + 1), a.host.isEmpty() ? "mail.example.jp" : a.host);
    }
    return 0;
}
