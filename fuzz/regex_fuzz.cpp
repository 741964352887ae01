// The regular-expression object on arbitrary patterns and subjects. Every match and
// group it hands out is the one PCRE2 itself reports when run over the same subject in a
// plain loop: the same count, the text of the engine's span, and an offset that is the
// span's start counted in the subject's bytes (also where the subject holds bytes that
// are no GB18030 character). Offsets point at the text they hand out, the matches of a
// global run follow one another without overlap, and no run outlives its bound.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "text/codec.h"
#include "text/markers.h"
#include "text/regex_object.h"
#include "text/search.h"

namespace qinghe {
namespace {

constexpr int kMatchesChecked = 200;

using Spans = std::vector<PCRE2_SIZE>;  // one match: start and end of the match, then of each group

// Every match (or the first) of the pattern over the units, found by calling pcre2_match
// from one match's end to the next, with the options the object compiles with. Nothing
// when the pattern does not compile or the engine stops at a limit: the object runs in
// shorter calls and may finish where this loop gives up.
std::optional<std::vector<Spans>> engine_spans(const std::u16string& pattern, const std::u16string& units,
                                               bool case_sensitive, bool multiline, bool global) {
    std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> compile_context(
        pcre2_compile_context_create(nullptr), pcre2_compile_context_free);
    pcre2_set_newline(compile_context.get(), PCRE2_NEWLINE_ANYCRLF);
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF;
    if (!case_sensitive) options |= PCRE2_CASELESS;
    options |= multiline ? PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX : PCRE2_DOLLAR_ENDONLY;
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)> code(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &error, &error_offset,
                      compile_context.get()),
        pcre2_code_free);
    if (!code) return std::nullopt;
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr), pcre2_match_data_free);
    std::unique_ptr<pcre2_match_context, decltype(&pcre2_match_context_free)> context(
        pcre2_match_context_create(nullptr), pcre2_match_context_free);
    const RegexLimits limits;
    pcre2_set_match_limit(context.get(), limits.match_limit);
    pcre2_set_depth_limit(context.get(), limits.depth_limit);
    pcre2_set_heap_limit(context.get(), limits.heap_limit_kib);

    std::vector<Spans> matches;
    for (size_t start = 0; start <= units.size();) {
        const int rc = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(units.data()), units.size(), start, 0,
                                   data.get(), context.get());
        if (rc == PCRE2_ERROR_NOMATCH) break;
        if (rc < 0) return std::nullopt;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        matches.emplace_back(ovector, ovector + 2 * pcre2_get_ovector_count(data.get()));
        if (!global) break;
        // The next call starts at the match's end, or a whole character past an empty match.
        start = std::max(ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1, start + 1);
        if (start < units.size() && (units[start] & 0xFC00) == 0xDC00 && (units[start - 1] & 0xFC00) == 0xD800) ++start;
    }
    return matches;
}

// The object searches in calls of a few starting positions each, so that it can look at
// its clock in between. A call that starts anew continues the same search unless the
// pattern holds \G (which matches where a call starts) or a backtracking verb such as
// (*COMMIT) (which ends the whole search, not only the call); only then are the object's
// matches the engine's plain loop's.
bool restarts_are_invisible(TextView pattern) {
    return pattern.find("\\G") == TextView::npos && pattern.find("(*") == TextView::npos;
}

// The object's matches and groups against the engine's spans.
void check_against_engine(const RegexObject& regex, const std::vector<Spans>& engine, const std::u16string& units,
                          const std::vector<size_t>& byte_offsets) {
    FUZZ_CHECK(static_cast<size_t>(regex.match_count()) == engine.size());
    for (int m = 1; m <= std::min(regex.match_count(), kMatchesChecked); ++m) {
        const Spans& spans = engine[static_cast<size_t>(m) - 1];
        for (size_t g = 0; 2 * g + 1 < spans.size(); ++g) {
            int offset = -2;
            const int group = static_cast<int>(g);
            const Text text = group == 0 ? regex.match_text(m, &offset) : regex.submatch_text(m, group, &offset);
            const PCRE2_SIZE start = spans[2 * g], end = spans[2 * g + 1];
            if (start == PCRE2_UNSET) {
                FUZZ_CHECK(offset == -1 && text.empty());
                continue;
            }
            FUZZ_CHECK(offset >= 0 && static_cast<size_t>(offset) == byte_offsets[start]);
            FUZZ_CHECK(text == encode(std::u16string_view(units).substr(start, end > start ? end - start : 0)));
        }
    }
}

void check_piece(TextView subject, bool valid, const Text& piece, int offset) {
    FUZZ_CHECK(offset >= 0 && static_cast<size_t>(offset) <= subject.size());
    // Text handed out is converted back from UTF-16: only valid text comes back as it stood.
    if (valid) FUZZ_CHECK(subject.substr(static_cast<size_t>(offset), piece.size()) == piece);
}

// Without lookaround and \K, a group lies inside its match.
bool groups_inside_match(TextView pattern) {
    for (TextView escape : {"(?=", "(?!", "(?<", "(?*", "(*", "\\K"}) {
        if (pattern.find(escape) != TextView::npos) return false;
    }
    return true;
}

void check_matches(const RegexObject& regex, TextView subject, bool valid, bool global, bool inside) {
    const int count = regex.match_count();
    FUZZ_CHECK(global || count <= 1);
    long previous_end = -1;
    for (int m = 1; m <= std::min(count, kMatchesChecked); ++m) {
        int offset = -2;
        const Text text = regex.match_text(m, &offset);
        check_piece(subject, valid, text, offset);
        if (valid) {
            // After an empty match the next one starts at least one character later.
            FUZZ_CHECK(offset >= previous_end);
            previous_end = offset + static_cast<long>(text.size()) + (text.empty() ? 1 : 0);
        }
        for (int g = 1; g <= regex.submatch_count(); ++g) {
            int group_offset = -2;
            const Text group = regex.submatch_text(m, g, &group_offset);
            if (group_offset == -1) {
                FUZZ_CHECK(group.empty());
                continue;
            }
            check_piece(subject, valid, group, group_offset);
            if (valid && inside) {
                FUZZ_CHECK(group_offset >= offset);
                FUZZ_CHECK(group_offset + group.size() <= offset + text.size());
            }
        }
    }
    int outside = -2;
    FUZZ_CHECK(regex.match_text(count + 1, &outside).empty() && outside == -1);
    FUZZ_CHECK(regex.submatch_text(1, regex.submatch_count() + 1).empty());
}

}  // namespace
}  // namespace qinghe

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    fuzz::Input in(data, size);
    const bool case_sensitive = in.flag(), multiline = in.flag(), global = in.flag(), quotes = in.flag();
    const Text pattern = in.text();
    const Text subject = in.rest();
    const bool valid = encode(decode(subject)) == subject;

    RegexObject regex;
    RegexLimits limits;
    limits.run_time = std::chrono::milliseconds(500);
    regex.set_limits(limits);
    const auto start = std::chrono::steady_clock::now();
    const bool ran = regex.create_and_execute(pattern, subject, case_sensitive, multiline, global, quotes);
    // The bound holds for the whole run, with room for a slow sanitizer build.
    FUZZ_CHECK(std::chrono::steady_clock::now() - start < std::chrono::seconds(5));
    FUZZ_CHECK(regex.get_pattern() == (quotes ? replace_all(pattern, from_utf8("#引号"), "\"") : pattern));
    if (!ran) {
        FUZZ_CHECK(regex.match_count() == 0);
        return 0;
    }
    check_matches(regex, subject, valid, global, groups_inside_match(pattern));
    if (restarts_are_invisible(regex.get_pattern())) {
        std::vector<size_t> byte_offsets;
        const std::u16string units = decode(subject, byte_offsets);
        if (const auto engine = engine_spans(decode(regex.get_pattern()), units, case_sensitive, multiline, global)) {
            check_against_engine(regex, *engine, units, byte_offsets);
        }
    }
    const Text replaced = regex.replace_all("[$&]");
    if (valid && regex.match_count() == 0) FUZZ_CHECK(replaced == subject);
    return 0;
}
