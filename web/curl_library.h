#pragma once
// libcurl, loaded by name the first time a request needs it, as the HTTP service is on
// the platform the program comes from. Loaded at start, libcurl and the TLS, Kerberos and
// LDAP libraries it pulls in cost about a third of the start-up time and 5 MB; most runs
// never fetch anything.
#include <curl/curl.h>

namespace qinghe {

struct CurlLibrary {
    decltype(&::curl_easy_init) easy_init;
    decltype(&::curl_easy_setopt) easy_setopt;
    decltype(&::curl_easy_getinfo) easy_getinfo;
    decltype(&::curl_easy_cleanup) easy_cleanup;
    decltype(&::curl_multi_init) multi_init;
    decltype(&::curl_multi_add_handle) multi_add_handle;
    decltype(&::curl_multi_remove_handle) multi_remove_handle;
    decltype(&::curl_multi_perform) multi_perform;
    decltype(&::curl_multi_poll) multi_poll;
    decltype(&::curl_multi_info_read) multi_info_read;
    decltype(&::curl_multi_cleanup) multi_cleanup;
    decltype(&::curl_slist_append) slist_append;
    decltype(&::curl_slist_free_all) slist_free_all;
    decltype(&::curl_url) url;
    decltype(&::curl_url_set) url_set;
    decltype(&::curl_url_get) url_get;
    decltype(&::curl_url_cleanup) url_cleanup;
    decltype(&::curl_free) free;
};

// The loaded and initialised library; nullptr when it cannot be had.
const CurlLibrary* curl_library();

// Sets one option of an easy handle of the loaded library; false when libcurl refuses it.
template <class T>
bool set_option(CURL* easy, CURLoption option, T value) {
    return curl_library()->easy_setopt(easy, option, value) == CURLE_OK;
}

}  // namespace qinghe
