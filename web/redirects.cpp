#include "web/redirects.h"

#include "web/http_method.h"

namespace qinghe {

bool is_followed_redirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

NextRequest request_after_redirect(HttpMethod method, int status) {
    if (status == 303) return {method == HttpMethod::Head ? HttpMethod::Head : HttpMethod::Get, false};
    if ((status == 301 || status == 302) && (method == HttpMethod::Post || method == HttpMethod::Put)) {
        return {HttpMethod::Get, false};
    }
    return {method, true};
}

}  // namespace qinghe
