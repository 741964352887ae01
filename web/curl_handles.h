#pragma once
// libcurl handles owned by move-only holders. They exist only once curl_library() has
// loaded the library.
#include <memory>

#include "web/curl_library.h"

namespace qinghe::curl {

struct EasyCleanup {
    void operator()(CURL* handle) const { curl_library()->easy_cleanup(handle); }
};
struct MultiCleanup {
    void operator()(CURLM* handle) const { curl_library()->multi_cleanup(handle); }
};
struct ListFree {
    void operator()(curl_slist* list) const { curl_library()->slist_free_all(list); }
};
struct UrlCleanup {
    void operator()(CURLU* url) const { curl_library()->url_cleanup(url); }
};

using Easy = std::unique_ptr<CURL, EasyCleanup>;
using Multi = std::unique_ptr<CURLM, MultiCleanup>;
using List = std::unique_ptr<curl_slist, ListFree>;
using Url = std::unique_ptr<CURLU, UrlCleanup>;

// Keeps an easy handle inside a multi handle for as long as it lives.
class Attachment {
public:
    Attachment(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {
        attached_ = curl_library()->multi_add_handle(multi, easy) == CURLM_OK;
    }
    ~Attachment() {
        if (attached_) curl_library()->multi_remove_handle(multi_, easy_);
    }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
    bool attached() const { return attached_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool attached_ = false;
};

}  // namespace qinghe::curl
