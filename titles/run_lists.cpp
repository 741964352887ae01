#include "titles/run_lists.h"

#include "titles/keywords.h"

namespace qinghe {

using namespace phrase_space;

namespace {

// What a set piece brings to any headline: from its middle alone up to every edge it may
// keep or take.
Span piece_span(const Ruler& ruler, const SetPiece& piece) {
    const Span least = ruler.span(piece.least());
    return piece.loose() ? Span{least.lo, ruler.span(piece.most()).hi} : least;
}

std::vector<TextView> views(const std::vector<Text>& entries, bool distinct) {
    std::vector<TextView> out;
    out.reserve(entries.size());
    std::unordered_set<TextView> seen;
    for (const Text& entry : entries) {
        if (!distinct || seen.insert(entry).second) out.push_back(entry);
    }
    return out;
}

}  // namespace

PhraseList::PhraseList(std::vector<TextView> phrases, TextView after, std::span<const Text> keywords, TypesetMode mode,
                       const Ruler& ruler, HeadlineMeasure& measure, const HeadlineCheck& check, RefusalTally& tally,
                       Pacer& pacer)
        : phrases_(std::move(phrases)) {
    const size_t count = phrases_.size();
    const bool set = mode.any();
    row_.assign(count, kNone);
    spans_.resize(count);
    if (set) pieces_.resize(count);
    open_.assign(count, 0);
    filled_.resize(keywords.size());
    // A phrase whose own text is refused is taken as unable to stand: nearly every
    // headline holding it holds the refused word too. A set piece's middle stands as it is
    // in every headline that holds the piece.
    const auto opens = [&](TextView text, const Span& span) {
        if (span.lo >= ruler.slots()) return false;
        const std::optional<Refusal> refusal = check.word_refusal(text);
        if (refusal) tally.count(*refusal);
        return !refusal;
    };
    Text joined;
    const auto set_with_punctuation = [&](TextView text, std::span<const KeywordSpan> keywords) {
        joined.assign(text).append(after);
        return set_piece(joined, keywords, mode, measure);
    };
    for (uint32_t i = 0; i < count; ++i) {
        pacer.step();
        const TextView phrase = phrases_[i];
        if (keywords.empty() || fill_blanks(phrase, {}).size() == phrase.size()) {
            if (set) {
                pieces_[i] = set_with_punctuation(phrase, {});
                spans_[i] = piece_span(ruler, pieces_[i]);
                open_[i] = opens(pieces_[i].middle(), spans_[i]);
            } else {
                spans_[i] = ruler.span(measure.measure(phrase));
                open_[i] = opens(phrase, spans_[i]);
            }
            loose_ = loose_ || (open_[i] && !spans_[i].exact());
            continue;
        }
        row_[i] = static_cast<uint32_t>(with_blank_.size());
        with_blank_.push_back(i);
        for (size_t k = 0; k < keywords.size(); ++k) {
            pacer.step();
            Filled& filled = filled_[k];
            if (set) {
                const FilledPhrase blanks = fill_and_mark_blanks(phrase, keywords[k]);
                const SetPiece& piece = filled.pieces.emplace_back(set_with_punctuation(blanks.text, blanks.keywords));
                const Span& span = filled.spans.emplace_back(piece_span(ruler, piece));
                filled.open.push_back(opens(piece.middle(), span));
            } else {
                const Text& text = filled.texts.emplace_back(fill_blanks(phrase, keywords[k]));
                filled.spans.emplace_back(ruler.span(measure.measure(text)));
                filled.open.push_back(opens(text, filled.spans.back()));
            }
            loose_ = loose_ || (filled.open.back() && !filled.spans.back().exact());
        }
    }
}

TextView PhraseList::text(size_t keyword, uint32_t phrase) const {
    return has_blank(phrase) ? TextView(filled_[keyword].texts[row_[phrase]]) : phrases_[phrase];
}

const SetPiece& PhraseList::piece(size_t keyword, uint32_t phrase) const {
    return has_blank(phrase) ? filled_[keyword].pieces[row_[phrase]] : pieces_[phrase];
}

const Span& PhraseList::span(size_t keyword, uint32_t phrase) const {
    return has_blank(phrase) ? filled_[keyword].spans[row_[phrase]] : spans_[phrase];
}

bool PhraseList::open(size_t keyword, uint32_t phrase) const {
    return has_blank(phrase) ? filled_[keyword].open[row_[phrase]] : open_[phrase];
}

Members PhraseList::shared_members() const {
    Members members;
    members.init(spans_, open_);
    return members;
}

Members PhraseList::own_members(size_t keyword) const {
    Members members;
    if (!with_blank_.empty()) members.init(filled_[keyword].spans, filled_[keyword].open, with_blank_);
    return members;
}

RunLists::RunLists(const GeneratorInput& input, const Ruler& ruler, HeadlineMeasure& measure,
                   const HeadlineCheck& check, RefusalTally& tally, Pacer& pacer)
        : ruler_(ruler),
          keywords_(std::max<size_t>(input.writer.keywords.size(), 1)),
          set_(input.writer.typesetting().any()),
          joiner_(input.writer.typesetting()) {
    const size_t parts = input.suffix_mode ? 3 : 2;
    const Text* punctuation[] = {&input.punctuation_1, &input.punctuation_2, &input.punctuation_3};
    for (size_t p = 0; p < parts; ++p) {
        if (!set_) punctuation_ += ruler.span(measure.measure(*punctuation[p]));
        punctuation_texts_[p] = punctuation[p];
    }
    punctuation_loose_ = !punctuation_.exact();
    const std::vector<Text>* entries[] = {&input.prefixes, &input.links, &input.suffixes};
    lists_.reserve(parts);
    for (size_t p = 0; p < parts; ++p) {
        lists_.emplace_back(views(*entries[p], input.writer.no_repeat), *punctuation[p], input.writer.keywords,
                            input.writer.typesetting(), ruler, measure, check, tally, pacer);
    }
    shared_.reserve(parts);
    for (const PhraseList& list : lists_) {
        Members& members = shared_.emplace_back(list.shared_members());
        for (uint32_t i = 0; i < list.size(); ++i) {
            if (!list.has_blank(i)) members.add(i);
        }
    }
    own_.resize(keywords_);
    every_.reserve(keywords_);
    for (size_t k = 0; k < keywords_; ++k) {
        own_[k].reserve(parts);
        std::vector<ListMembers> views;
        for (size_t p = 0; p < parts; ++p) {
            pacer.step();
            Members& own = own_[k].emplace_back(lists_[p].own_members(k));
            for (uint32_t row = 0; row < lists_[p].rows(); ++row) own.add(row);
            views.push_back({&shared_[p], lists_[p].rows() ? &own : nullptr});
        }
        every_.emplace_back(ruler, std::move(views));
    }
}

bool RunLists::loose(size_t keyword, const Draw& draw) const {
    if (punctuation_loose_) return true;
    for (size_t p = 0; p < parts(); ++p) {
        if (!span(keyword, p, draw.phrase[p]).exact()) return true;
    }
    return false;
}

bool RunLists::any_loose() const {
    if (punctuation_loose_) return true;
    for (const PhraseList& list : lists_) {
        if (list.loose()) return true;
    }
    return false;
}

std::optional<TextLength> RunLists::compose(size_t keyword, const Draw& draw, Text& out) const {
    out.clear();
    if (!set_) {
        for (size_t p = 0; p < parts(); ++p)
            out.append(lists_[p].text(keyword, draw.phrase[p])).append(*punctuation_texts_[p]);
        return std::nullopt;
    }
    const SetPiece* pieces[kParts];
    for (size_t p = 0; p < parts(); ++p) pieces[p] = &lists_[p].piece(keyword, draw.phrase[p]);
    const TextLength length = joiner_.join(std::span(pieces, parts()), out);
    if (!length.additive) return std::nullopt;
    return length;
}

}  // namespace qinghe
