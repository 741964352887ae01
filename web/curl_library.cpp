#include "web/curl_library.h"

#include <dlfcn.h>

namespace qinghe {
namespace {

template <class F>
bool bind(void* library, const char* name, F& function) {
    void* symbol = dlsym(library, name);
    function = reinterpret_cast<F>(symbol);
    return symbol != nullptr;
}

const CurlLibrary* load() {
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    static CurlLibrary curl{};
    decltype(&::curl_global_init) global_init = nullptr;
    const bool bound =
        bind(library, "curl_global_init", global_init) && bind(library, "curl_easy_init", curl.easy_init) &&
        bind(library, "curl_easy_setopt", curl.easy_setopt) && bind(library, "curl_easy_getinfo", curl.easy_getinfo) &&
        bind(library, "curl_easy_cleanup", curl.easy_cleanup) && bind(library, "curl_multi_init", curl.multi_init) &&
        bind(library, "curl_multi_add_handle", curl.multi_add_handle) &&
        bind(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
        bind(library, "curl_multi_perform", curl.multi_perform) && bind(library, "curl_multi_poll", curl.multi_poll) &&
        bind(library, "curl_multi_info_read", curl.multi_info_read) &&
        bind(library, "curl_multi_cleanup", curl.multi_cleanup) &&
        bind(library, "curl_slist_append", curl.slist_append) &&
        bind(library, "curl_slist_free_all", curl.slist_free_all) && bind(library, "curl_url", curl.url) &&
        bind(library, "curl_url_set", curl.url_set) && bind(library, "curl_url_get", curl.url_get) &&
        bind(library, "curl_url_cleanup", curl.url_cleanup) && bind(library, "curl_free", curl.free);
    // The library stays loaded for the life of the process.
    if (!bound || global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
    return &curl;
}

}  // namespace

const CurlLibrary* curl_library() {
    static const CurlLibrary* const library = load();
    return library;
}

}  // namespace qinghe
