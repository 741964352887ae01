#pragma once
// A request's address, checked and made ready for libcurl.
#include <string>

#include "text/text.h"

namespace qinghe {

struct RequestAddress {
    std::string url;  // absolute; no user name or password; spaces percent-encoded
    std::string host;
    std::string port;     // the scheme's default port when the address names none
    bool secure = false;  // https
};

// Whether two addresses share scheme, host (in any letter case) and port: only then do
// credentials and cookies given for one go to the other.
bool same_origin(const RequestAddress& a, const RequestAddress& b);

// An absolute http or https address in program text. False for anything else.
bool split_address(TextView url, RequestAddress& address);

// The same for an address as it travels on the wire (UTF-8, percent-encoded).
bool split_wire_address(const std::string& url, RequestAddress& address);

// Where a redirect's Location value leads from `from`: relative values are read against
// it. False when that is no http or https address.
bool resolve_redirect(const RequestAddress& from, TextView location, RequestAddress& target);

}  // namespace qinghe
