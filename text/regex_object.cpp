#include "text/regex_object.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>

#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
using Code = std::unique_ptr<pcre2_code, CodeFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;

// Starting positions one engine call may try: between two calls the run looks at its
// clock, so one call must stay short even when every position costs the full limit.
constexpr size_t kPositionsPerCall = 32;

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

// UTF mode folds letter case the Unicode way; without PCRE2_UCP "\w", "\d" and "\s"
// stay ASCII. CR, LF and CR LF end a line, so "." matches neither CR nor LF.
Code compile(const std::u16string& pattern, bool case_sensitive, bool multiline) {
    std::unique_ptr<pcre2_compile_context, CompileContextFree> context(pcre2_compile_context_create(nullptr));
    if (!context) return nullptr;
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
    uint32_t options =
        PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_USE_OFFSET_LIMIT;
    if (!case_sensitive) options |= PCRE2_CASELESS;
    options |= multiline ? PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX : PCRE2_DOLLAR_ENDONLY;
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    return Code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &error,
                              &error_offset, context.get()));
}

MatchContext match_context(const RegexLimits& limits) {
    MatchContext context(pcre2_match_context_create(nullptr));
    if (!context) return nullptr;
    pcre2_set_match_limit(context.get(), limits.match_limit);
    pcre2_set_depth_limit(context.get(), limits.depth_limit);
    pcre2_set_heap_limit(context.get(), limits.heap_limit_kib);
    return context;
}

// The first position at or after `at` that is not inside a surrogate pair.
size_t character_start(std::u16string_view units, size_t at) {
    const bool inside_pair =
        at > 0 && at < units.size() && (units[at] & 0xFC00) == 0xDC00 && (units[at - 1] & 0xFC00) == 0xD800;
    return inside_pair ? at + 1 : at;
}

// The spans of every match (or the first) as pairs of start and end in `subject`, with
// PCRE2_UNSET for a group that took no part. False when the engine gave up or the run
// reached its time.
bool run(const pcre2_code* code, std::u16string_view subject, bool global, const RegexLimits& limits,
         std::vector<std::vector<size_t>>& matches) {
    const MatchContext context = match_context(limits);
    const MatchData data(pcre2_match_data_create_from_pattern(code, nullptr));
    if (!context || !data) return false;
    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());
    const auto deadline = std::chrono::steady_clock::now() + limits.run_time;
    for (size_t start = 0; start <= subject.size();) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        const size_t last_start = start + kPositionsPerCall - 1;
        pcre2_set_offset_limit(context.get(), last_start);
        const int rc = pcre2_match(code, text, subject.size(), start, 0, data.get(), context.get());
        if (rc == PCRE2_ERROR_NOMATCH) {
            start = character_start(subject, last_start + 1);
            continue;
        }
        if (rc < 0) return false;  // a limit, or an error
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        matches.emplace_back(ovector, ovector + 2 * pcre2_get_ovector_count(data.get()));
        if (!global) break;
        // After an empty match the next run starts one character further.
        const size_t next = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
        start = character_start(subject, std::max(next, start + 1));
    }
    return true;
}

}  // namespace

bool RegexObject::create_and_execute(TextView pattern, TextView subject, bool case_sensitive, bool multiline,
                                     bool global, bool quote_placeholder) {
    result_.reset();
    subject_.clear();
    pattern_ = quote_placeholder ? qinghe::replace_all(pattern, from_utf8("#引号"), "\"") : Text(pattern);
    const Code code = compile(decode(pattern_), case_sensitive, multiline);
    if (!code) return false;
    std::vector<size_t> byte_offsets;
    std::u16string units = decode(subject, byte_offsets);
    std::vector<std::vector<size_t>> spans;
    if (!run(code.get(), units, global, limits_, spans)) return false;
    uint32_t groups = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
    auto result = std::make_shared<Result>();
    result->global = global;
    for (const std::vector<size_t>& ovector : spans) result->matches.push_back(to_match(ovector, groups, byte_offsets));
    result_ = std::move(result);
    subject_ = std::move(units);
    return true;
}

RegexObject::Match RegexObject::to_match(const std::vector<size_t>& ovector, size_t groups,
                                         const std::vector<size_t>& byte_offsets) {
    const auto span = [&byte_offsets](size_t start, size_t end) {
        return Span{start, end > start ? end - start : 0, byte_offsets[start]};
    };
    Match match;
    match.whole = span(ovector[0], ovector[1]);
    for (size_t g = 1; g <= groups; ++g) {
        if (2 * g + 1 >= ovector.size() || ovector[2 * g] == PCRE2_UNSET) match.groups.emplace_back();
        else match.groups.push_back(span(ovector[2 * g], ovector[2 * g + 1]));
    }
    return match;
}

Text RegexObject::get_pattern() const { return pattern_; }

int RegexObject::match_count() const { return result_ ? static_cast<int>(result_->matches.size()) : 0; }

const RegexObject::Match* RegexObject::match(int m) const {
    if (!result_ || m < 1 || static_cast<size_t>(m) > result_->matches.size()) return nullptr;
    return &result_->matches[static_cast<size_t>(m) - 1];
}

Text RegexObject::slice(const Span& span, int* byte_offset) const {
    if (byte_offset) *byte_offset = static_cast<int>(span.byte_start);
    return encode(std::u16string_view(subject_).substr(span.start, span.length));
}

Text RegexObject::match_text(int m, int* byte_offset) const {
    const Match* found = match(m);
    if (!found) {
        if (byte_offset) *byte_offset = -1;
        return {};
    }
    return slice(found->whole, byte_offset);
}

Text RegexObject::submatch_text(int m, int g, int* byte_offset) const {
    const Match* found = match(m);
    if (!found || g < 1 || static_cast<size_t>(g) > found->groups.size() ||
        !found->groups[static_cast<size_t>(g) - 1]) {
        if (byte_offset) *byte_offset = -1;
        return {};
    }
    return slice(*found->groups[static_cast<size_t>(g) - 1], byte_offset);
}

int RegexObject::submatch_count() const {
    const Match* first = match(1);
    return first ? static_cast<int>(first->groups.size()) : 0;
}

Text RegexObject::replace_all(TextView replacement) const {
    if (!result_) return encode(subject_);
    const std::u16string with = decode(replacement);
    const std::u16string_view subject(subject_);
    std::u16string out;
    size_t copied = 0;
    for (const Match& match : result_->matches) {
        out.append(subject.substr(copied, match.whole.start - copied));
        const size_t end = match.whole.start + match.whole.length;
        for (size_t i = 0; i < with.size(); ++i) {
            const char16_t c = with[i];
            const char16_t next = i + 1 < with.size() ? with[i + 1] : u'\0';
            if (c != u'$' || next == u'\0') {
                out.push_back(c);
            } else if (next == u'$') {
                out.push_back(u'$'), ++i;
            } else if (next == u'&') {
                out.append(subject.substr(match.whole.start, match.whole.length)), ++i;
            } else if (next == u'`') {
                out.append(subject.substr(0, match.whole.start)), ++i;
            } else if (next == u'\'') {
                out.append(subject.substr(end)), ++i;
            } else if (is_digit(next)) {
                // Two digits when they name a group, else one; a "$" naming no group stays.
                size_t digits = 0, group = 0;
                const size_t groups = match.groups.size();
                if (i + 2 < with.size() && is_digit(with[i + 2])) {
                    const size_t two = static_cast<size_t>((next - u'0') * 10 + (with[i + 2] - u'0'));
                    if (two >= 1 && two <= groups) digits = 2, group = two;
                }
                if (digits == 0 && next != u'0' && static_cast<size_t>(next - u'0') <= groups) {
                    digits = 1, group = static_cast<size_t>(next - u'0');
                }
                if (digits == 0) {
                    out.push_back(c);
                    continue;
                }
                if (const auto& span = match.groups[group - 1]) out.append(subject.substr(span->start, span->length));
                i += digits;
            } else {
                out.push_back(c);
            }
        }
        copied = end;
    }
    out.append(subject.substr(copied));
    return encode(out);
}

}  // namespace qinghe
