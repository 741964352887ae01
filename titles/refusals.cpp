#include "titles/refusals.h"

#include <algorithm>

#include "text/codec.h"

namespace qinghe {

std::optional<Refusal> HeadlineCheck::refusal(TextView headline, bool loose,
                                              const std::optional<TextLength>& length) const {
    if (loose && ruler_.limited() && !ruler_.fits(length ? *length : measure_.measure(headline))) {
        return Refusal{RefusalKind::length, {}};
    }
    if (std::optional<Refusal> refusal = word_refusal(headline)) return refusal;
    if (used_ && used_(headline)) return Refusal{RefusalKind::used, {}, std::hash<TextView>{}(headline)};
    return std::nullopt;
}

std::optional<Refusal> HeadlineCheck::word_refusal(TextView text) const {
    if (!blocking_word_) return std::nullopt;
    Text word = blocking_word_(text);
    if (word.empty()) return std::nullopt;
    return Refusal{RefusalKind::risk_word, std::move(word)};
}

void RefusalTally::count(const Refusal& refusal) {
    ++counts_[static_cast<size_t>(refusal.kind)];
    if (refusal.kind == RefusalKind::used) used_.insert(refusal.headline);
    if (refusal.word.empty() || words_.size() > kNamedWords) return;
    if (std::find(words_.begin(), words_.end(), refusal.word) == words_.end()) words_.push_back(refusal.word);
}

std::string RefusalTally::words() const {
    std::string out;
    for (size_t i = 0; i < std::min(words_.size(), kNamedWords); ++i) out += (i ? "、" : "") + to_utf8(words_[i]);
    return words_.size() > kNamedWords ? out + "等" : out;
}

}  // namespace qinghe
