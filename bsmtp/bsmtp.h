#pragma once

// The SMTP library: one call sends one mail and returns when the server has taken it or
// the attempt has failed.
//
// Every argument is a zero-terminated string in code page 932; an empty value is an empty
// string. `server` is "host" (port 587, STARTTLS when offered), "host:port" (port 465 is
// implicit TLS), "smtps://host[:port]" or "smtp://host[:port]". `attachment` is the full
// path of the one attached file, or empty. `error` points to a buffer of at least 81 bytes.
// `to` is an address list ("Name <a@example.jp>, b@example.jp; ..."), `from` one mailbox;
// anything that is not valid code page 932 or cannot be read is refused before connecting.
//
// Returns non-zero only when the server accepted the mail. Otherwise the buffer holds a
// zero-terminated Japanese message of at most 80 bytes for the user.
//
// Credentials come from ~/.netrc ("machine HOST login USER password PASS"), which only its
// owner may read; with credentials the connection must use TLS. Certificates are always
// verified; CURL_CA_BUNDLE, when set, names the only certificates trusted.
// MIRVANE_SMTP_TIMEOUT_SCALE (between 0 and 1) shortens every timeout, for tests.

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) int BSendMail(const char* server, const char* to,
                                                     const char* from, const char* subject,
                                                     const char* body, const char* attachment,
                                                     char* error);

#ifdef __cplusplus
}
#endif
