#pragma once
// One regular expression run over one subject, handing out matches and their groups by
// 1-based number. Pattern and subject are matched as UTF-16, so a double-byte character
// counts as one character; "\w" is ASCII only, letter case is compared the Unicode way,
// "." never matches a line end, and CR as well as LF ends a line.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "text/text.h"

namespace qinghe {

// How much work one run may take. A run that reaches a limit has failed.
struct RegexLimits {
    uint32_t match_limit = 100'000;            // backtracking steps at one starting position
    uint32_t depth_limit = 50'000;             // nested backtracking points
    uint32_t heap_limit_kib = 20'480;          // memory for those backtracking points
    std::chrono::milliseconds run_time{1000};  // the whole run, every match of a global run included
};

class RegexObject {
public:
    // Limits for the following runs.
    void set_limits(const RegexLimits& limits) { limits_ = limits; }

    // Compiles `pattern` (with "#引号" read as a double quote when `quote_placeholder`)
    // and runs it over `subject`. Letter case is ignored unless `case_sensitive`;
    // `multiline` lets "^" and "$" match at line breaks; `global` collects every match
    // instead of the first. False for a pattern that does not compile and for a run
    // that reached a limit (it then has no matches); a run that finds nothing is true.
    bool create_and_execute(TextView pattern, TextView subject, bool case_sensitive = false, bool multiline = true,
                            bool global = true, bool quote_placeholder = false);

    // The pattern of the last run, also when it failed; empty before any.
    Text get_pattern() const;
    // The subject with each match (or the first, without `global`) replaced; in the
    // replacement "$1".."$99" stand for a group, "$&" the match, "$`" and "$'" the text
    // before and after it, "$$" a dollar sign. A "$" naming no group stays as it is.
    Text replace_all(TextView replacement) const;
    int match_count() const;
    // Match m, group g (both from 1); empty when out of range or the group took no part.
    // `byte_offset`, when given, receives the 0-based byte offset in the subject where
    // the match or group starts (-1 when there is none), counted in the caller's own
    // bytes. A subject byte that is no GB18030 character is matched as U+FFFD, and the
    // text handed out is the converted text: it then holds U+FFFD's four bytes where the
    // subject had the invalid one, so only offsets, not lengths, point into the subject.
    Text match_text(int m, int* byte_offset = nullptr) const;
    Text submatch_text(int m, int g, int* byte_offset = nullptr) const;
    // Number of groups of the first match; 0 without a match.
    int submatch_count() const;

private:
    struct Span {
        size_t start = 0, length = 0;  // in UTF-16 units
        size_t byte_start = 0;         // in the subject's bytes
    };
    struct Match {
        Span whole;
        std::vector<std::optional<Span>> groups;
    };
    struct Result {
        bool global = true;
        std::vector<Match> matches;
    };

    static Match to_match(const std::vector<size_t>& ovector, size_t groups, const std::vector<size_t>& byte_offsets);
    const Match* match(int m) const;
    Text slice(const Span& span, int* byte_offset) const;

    RegexLimits limits_;
    Text pattern_;
    // Copies share the result of the last run and keep their own subject.
    std::shared_ptr<const Result> result_;
    std::u16string subject_;
};

}  // namespace qinghe
