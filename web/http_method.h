#pragma once
// The request methods by their numbers in HttpRequest::method.
namespace qinghe::http_method {

inline constexpr int kGet = 0, kPost = 1, kHead = 2, kPut = 3;

// 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT; any other
// number is GET.
constexpr int normalized(int method) { return method >= 0 && method < 8 ? method : kGet; }

constexpr const char* name(int method) {
    constexpr const char* kNames[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    return kNames[normalized(method)];
}

}  // namespace qinghe::http_method
