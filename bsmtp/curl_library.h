#pragma once

#include <curl/curl.h>

// libcurl, opened at the first send rather than with the program: a program that only
// writes mails neither loads it nor the TLS, Kerberos and LDAP libraries behind it, and
// so starts sooner and stays smaller.
namespace bsmtp::curl_library {

// The soname the build links against; libcurl has kept it since 2006.
inline constexpr char kSoname[] = "libcurl.so.4";

struct Functions {
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL*, CURLoption, ...);
    CURLcode (*easyPerform)(CURL*);
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
    void (*easyCleanup)(CURL*);
    const char* (*easyStrerror)(CURLcode);
    curl_slist* (*slistAppend)(curl_slist*, const char*);
    void (*slistFreeAll)(curl_slist*);
};

// The library's functions, loaded and globally initialised once; null when it cannot
// be loaded (then why() says so).
const Functions* get();
const char* why();

}  // namespace bsmtp::curl_library
