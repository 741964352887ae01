#pragma once
// The request methods. Their values are the numbers by which callers have always named
// them; a value outside the table (a number cast in) stands for GET.
namespace qinghe {

enum class HttpMethod { Get = 0, Post = 1, Head = 2, Put = 3, Options = 4, Delete = 5, Trace = 6, Connect = 7 };

namespace http_method {

constexpr HttpMethod normalized(HttpMethod method) {
    const int number = static_cast<int>(method);
    return number >= 0 && number < 8 ? method : HttpMethod::Get;
}

constexpr const char* name(HttpMethod method) {
    constexpr const char* kNames[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    return kNames[static_cast<int>(normalized(method))];
}

}  // namespace http_method
}  // namespace qinghe
