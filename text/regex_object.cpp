#include "text/regex_object.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

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
struct ContextFree {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

bool RegexObject::create_and_execute(TextView pattern, TextView subject, bool case_sensitive, bool multiline,
                                     bool global, bool quote_placeholder) {
    result_.reset();
    subject_.clear();
    auto result = std::make_shared<Result>();
    result->pattern = quote_placeholder ? qinghe::replace_all(pattern, from_utf8("#引号"), "\"") : Text(pattern);
    result->global = global;

    // Without PCRE2_UTF and PCRE2_UCP, "\w", "\d" and "\s" stay ASCII; a line feed alone
    // ends a line, so "." matches anything else.
    std::unique_ptr<pcre2_compile_context, ContextFree> context(pcre2_compile_context_create(nullptr));
    if (!context) return false;
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    uint32_t options = PCRE2_ALT_BSUX;
    if (!case_sensitive) options |= PCRE2_CASELESS;
    options |= multiline ? PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX : PCRE2_DOLLAR_ENDONLY;
    const std::u16string units = decode(result->pattern);
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    std::unique_ptr<pcre2_code, CodeFree> code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(units.data()), units.size(),
                                                             options, &error, &error_offset, context.get()));
    if (!code) return false;
    std::unique_ptr<pcre2_match_data, MatchDataFree> data(pcre2_match_data_create_from_pattern(code.get(), nullptr));
    if (!data) return false;
    uint32_t groups = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);

    subject_ = decode(subject);
    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject_.data());
    for (size_t start = 0; start <= subject_.size();) {
        const int rc = pcre2_match(code.get(), text, subject_.size(), start, 0, data.get(), nullptr);
        if (rc < 0) break;  // no (further) match, or the engine gave up
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        Match match;
        match.whole = {ovector[0], ovector[1] - ovector[0]};
        for (uint32_t g = 1; g <= groups; ++g) {
            if (ovector[2 * g] == PCRE2_UNSET) match.groups.emplace_back();
            else match.groups.push_back(Span{ovector[2 * g], ovector[2 * g + 1] - ovector[2 * g]});
        }
        result->matches.push_back(std::move(match));
        if (!global) break;
        // After an empty match the next run starts one position further.
        start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
    }
    result_ = std::move(result);
    return true;
}

Text RegexObject::get_pattern() const { return result_ ? result_->pattern : Text(); }

int RegexObject::match_count() const { return result_ ? static_cast<int>(result_->matches.size()) : 0; }

const RegexObject::Match* RegexObject::match(int m) const {
    if (!result_ || m < 1 || static_cast<size_t>(m) > result_->matches.size()) return nullptr;
    return &result_->matches[static_cast<size_t>(m) - 1];
}

Text RegexObject::slice(const Span& span) const { return encode(std::u16string_view(subject_).substr(span.start, span.length)); }

int RegexObject::byte_offset_of(const Text& found, const Match& match) const {
    // Every character takes at least one byte, so the text cannot start before the
    // engine's character offset read as a byte position.
    const Text subject = encode(subject_);
    const size_t from = match.whole.start >= 1 ? match.whole.start - 1 : 0;
    const size_t at = find_offset(subject, found, from);
    return at == TextView::npos ? -1 : static_cast<int>(at);
}

Text RegexObject::match_text(int m, int* byte_offset) const {
    const Match* found = match(m);
    if (!found) return {};
    Text text = slice(found->whole);
    if (byte_offset) *byte_offset = byte_offset_of(text, *found);
    return text;
}

Text RegexObject::submatch_text(int m, int g, int* byte_offset) const {
    const Match* found = match(m);
    if (!found || g < 1 || static_cast<size_t>(g) > found->groups.size() || !found->groups[static_cast<size_t>(g) - 1]) {
        return {};
    }
    Text text = slice(*found->groups[static_cast<size_t>(g) - 1]);
    if (byte_offset) *byte_offset = byte_offset_of(text, *found);
    return text;
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
