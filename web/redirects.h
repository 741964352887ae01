#pragma once
// Which answers are redirects that the request follows, and what the next request
// sends, as browsers and curl do it.
#include "web/http_method.h"

namespace qinghe {

// 301, 302, 303, 307 and 308.
bool is_followed_redirect(int status);

struct NextRequest {
    HttpMethod method;
    bool keeps_body;  // false: the next request has no body and no Content-Type
};
// 303 drops the body and turns every method but HEAD into GET; 301 and 302 do that to
// POST and PUT; otherwise method and body stay.
NextRequest request_after_redirect(HttpMethod method, int status);

}  // namespace qinghe
