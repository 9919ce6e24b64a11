#include "bsmtp/curl_library.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace bsmtp::curl_library {
namespace {

std::string& failure() {
    static std::string text;
    return text;
}

template <typename F>
bool bind(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

const Functions* load() {
    // Never closed: libcurl's global state lives as long as the program.
    void* library = dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* error = dlerror();
        failure() = error ? error : kSoname;
        return nullptr;
    }
    static Functions f;
    CURLcode (*globalInit)(long) = nullptr;
    if (!bind(library, "curl_global_init", globalInit) ||
        !bind(library, "curl_easy_init", f.easyInit) ||
        !bind(library, "curl_easy_setopt", f.easySetopt) ||
        !bind(library, "curl_easy_perform", f.easyPerform) ||
        !bind(library, "curl_easy_getinfo", f.easyGetinfo) ||
        !bind(library, "curl_easy_cleanup", f.easyCleanup) ||
        !bind(library, "curl_easy_strerror", f.easyStrerror) ||
        !bind(library, "curl_slist_append", f.slistAppend) ||
        !bind(library, "curl_slist_free_all", f.slistFreeAll)) {
        failure() = std::string(kSoname) + " lacks a function";
        return nullptr;
    }
    if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        failure() = std::string(kSoname) + " could not be initialised";
        return nullptr;
    }
    return &f;
}

}  // namespace

const Functions* get() {
    static std::once_flag once;
    static const Functions* functions = nullptr;
    std::call_once(once, [] { functions = load(); });
    return functions;
}

const char* why() {
    return failure().c_str();
}

}  // namespace bsmtp::curl_library
