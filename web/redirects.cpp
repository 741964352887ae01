#include "web/redirects.h"

#include "web/http_method.h"

namespace qinghe {

using http_method::kGet, http_method::kHead, http_method::kPost, http_method::kPut;

bool is_followed_redirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

NextRequest request_after_redirect(int method, int status) {
    if (status == 303) return {method == kHead ? kHead : kGet, false};
    if ((status == 301 || status == 302) && (method == kPost || method == kPut)) return {kGet, false};
    return {method, true};
}

}  // namespace qinghe
