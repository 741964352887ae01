#pragma once
// The caller's output variables of http_request, filled with values of the caller's own
// so that a test can see which ones a request touched.
#include "web/http_request.h"

namespace qinghe::test {

struct RequestOutputs {
    Text status = "caller status", headers = "caller headers", location = "caller location";
    Text cookies, new_cookies = "caller new";
    ByteArray bytes = "caller bytes";

    HttpRequest wire(HttpRequest request) {
        request.status_text = &status;
        request.response_headers = &headers;
        request.location = &location;
        request.cookies = &cookies;
        request.new_cookies = &new_cookies;
        request.response_bytes = &bytes;
        return request;
    }
    bool untouched() const {
        return headers == "caller headers" && location == "caller location" && new_cookies == "caller new" &&
               bytes == "caller bytes";
    }
};

}  // namespace qinghe::test
