#pragma once
// The request header block: the caller's lines, the default lines, normalisation, the
// keep-alive removal and the Cookie line.
#include <optional>

#include "text/text.h"
#include "web/http_method.h"

namespace qinghe {

// Lines without ":" are dropped; each name is capitalised at its start and after every
// "-"; lines end in CR LF except the last.
Text normalize_header_block(TextView block);

struct HeaderBlockInput {
    TextView extra_headers = {};
    HttpMethod method = HttpMethod::Get;
    TextView cookies = {};
    bool add_default_headers = true;
    bool normalize_headers = true;
};
Text build_header_block(const HeaderBlockInput& input);

// In a response's header block (lines ending in CR LF): what follows "Name:" on the
// first line with that name, in any letter case, as it stands; nothing when no line has
// the name. (header_value of the text routines is the case-sensitive "Name: " lookup.)
std::optional<Text> header_field(TextView block, TextView name);

}  // namespace qinghe
