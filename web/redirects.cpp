#include "web/redirects.h"

namespace qinghe {
namespace {

constexpr int kGet = 0, kPost = 1, kHead = 2, kPut = 3;

}  // namespace

bool is_followed_redirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

NextRequest request_after_redirect(int method, int status) {
    if (status == 303) return {method == kHead ? kHead : kGet, false};
    if ((status == 301 || status == 302) && (method == kPost || method == kPut)) return {kGet, false};
    return {method, true};
}

}  // namespace qinghe
