// Typesetting on arbitrary phrases and keywords (read as UTF-8, so that the program text is
// whole characters): setting twice changes nothing, the keywords stay as typed, pieces
// joined give the whole headline's text and its exact length, within the pieces' bounds.
#include <vector>

#include "fuzz/fuzz_input.h"
#include "text/codec.h"
#include "titles/headline_length.h"
#include "titles/keywords.h"
#include "titles/typesetting.h"

namespace qinghe {
namespace {

int weight(const TextLength& length, bool half) {
    return half ? 2 * length.characters - length.ascii_characters : length.characters;
}

}  // namespace
}  // namespace qinghe

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    fuzz::Input input(data, size);
    const unsigned modes = input.number(2);
    const TypesetMode mode{.keyword_edges = modes != 1, .house_style = modes != 0};
    const Text keyword = from_utf8(input.text());
    const unsigned count = input.number(6);
    std::vector<FilledPhrase> phrases;
    Text whole;
    std::vector<KeywordSpan> spans;
    for (unsigned i = 0; i < count; ++i) {
        FilledPhrase phrase = fill_and_mark_blanks(from_utf8(input.text()), keyword);
        for (const KeywordSpan& span : phrase.keywords)
            spans.push_back({span.begin + whole.size(), span.end + whole.size()});
        whole += phrase.text;
        phrases.push_back(std::move(phrase));
    }
    std::vector<KeywordSpan> set_spans;
    const Text set = set_headline(whole, spans, mode, &set_spans);
    FUZZ_CHECK(set_headline(set, set_spans, mode) == set);
    FUZZ_CHECK(set_spans.size() == spans.size());
    for (size_t i = 0; i < spans.size(); ++i) {
        FUZZ_CHECK(set.substr(set_spans[i].begin, set_spans[i].end - set_spans[i].begin) ==
                   whole.substr(spans[i].begin, spans[i].end - spans[i].begin));
    }
    if (!mode.house_style && spans.empty()) FUZZ_CHECK(set == whole);

    HeadlineMeasure measure;
    std::vector<SetPiece> pieces;
    for (const FilledPhrase& phrase : phrases) pieces.push_back(set_piece(phrase.text, phrase.keywords, mode, measure));
    std::vector<const SetPiece*> order;
    TextLength least, most;
    for (const SetPiece& piece : pieces) order.push_back(&piece), least += piece.least(), most += piece.most();
    // One joiner per mode for every input, so that joins met before come from its memory.
    static PieceJoiner joiners[] = {PieceJoiner({.keyword_edges = true}), PieceJoiner({.house_style = true}),
                                    PieceJoiner({.keyword_edges = true, .house_style = true})};
    PieceJoiner& joiner = joiners[modes];
    Text joined;
    const TextLength length = joiner.join(order, joined);
    FUZZ_CHECK(joined == set);
    Text again;
    const TextLength length_again = joiner.join(order, again);
    FUZZ_CHECK(again == set && length_again.characters == length.characters &&
               length_again.ascii_characters == length.ascii_characters);
    const TextLength measured = measure.measure(set);
    if (length.additive) {
        FUZZ_CHECK(length.characters == measured.characters);
        FUZZ_CHECK(length.ascii_characters == measured.ascii_characters);
        for (bool half : {false, true}) {
            FUZZ_CHECK(weight(least, half) <= weight(measured, half));
            FUZZ_CHECK(weight(most, half) >= weight(measured, half));
        }
    }
    return 0;
}
