#pragma once
// One regular expression run over one subject, handing out matches and their groups by
// 1-based number. Pattern and subject are matched as UTF-16, so a double-byte character
// counts as one character; "\w" is ASCII only and "." never matches a line feed.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "text/text.h"

namespace qinghe {

class RegexObject {
public:
    // Compiles `pattern` (with "#引号" read as a double quote when `quote_placeholder`)
    // and runs it over `subject`. Letter case is ignored unless `case_sensitive`;
    // `multiline` lets "^" and "$" match at line breaks; `global` collects every match
    // instead of the first. False for a pattern that does not compile; a run that finds
    // nothing is true with no matches.
    bool create_and_execute(TextView pattern, TextView subject, bool case_sensitive = false, bool multiline = true,
                            bool global = true, bool quote_placeholder = false);

    // The pattern of the last run; empty before any.
    Text get_pattern() const;
    // The subject with each match (or the first, without `global`) replaced; in the
    // replacement "$1".."$99" stand for a group, "$&" the match, "$`" and "$'" the text
    // before and after it, "$$" a dollar sign. A "$" naming no group stays as it is.
    Text replace_all(TextView replacement) const;
    int match_count() const;
    // Match m, group g (both from 1); empty when out of range or the group took no part.
    // `byte_offset`, when given, receives the 0-based byte offset of the returned text in
    // the subject.
    Text match_text(int m, int* byte_offset = nullptr) const;
    Text submatch_text(int m, int g, int* byte_offset = nullptr) const;
    // Number of groups of the first match; 0 without a match.
    int submatch_count() const;

private:
    struct Span {
        size_t start = 0, length = 0;  // in UTF-16 units
    };
    struct Match {
        Span whole;
        std::vector<std::optional<Span>> groups;
    };
    struct Result {
        Text pattern;
        bool global = true;
        std::vector<Match> matches;
    };

    const Match* match(int m) const;
    Text slice(const Span& span) const;
    int byte_offset_of(const Text& found, const Match& match) const;

    // Copies share the result of the last run and keep their own subject.
    std::shared_ptr<const Result> result_;
    std::u16string subject_;
};

}  // namespace qinghe
