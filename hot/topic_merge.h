#pragma once
// The same event on several boards: each title's key (how it reads once its wording's
// surface is gone), whether two titles of different boards name one event, and the merge
// of the boards' ranked lists into topics. Deterministic: the same lists always give the
// same topics in the same order.
//
// Two titles are joined only when one of them says little beyond what they share, so that
// a topic is hidden under another's row as seldom as possible (a wrong join hides a topic
// from the writer; a missed one only shows it twice). See same_event for the threshold.
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "hot/hot_topics.h"

namespace qinghe {

// A title as compared (program text): traditional characters as simplified, Unicode NFKC
// with letter case folded, then letters and digits alone (spaces, punctuation, symbols and
// emoji dropped; a "." between two digits kept, "5.2级"); a board's badge, a lone 热, 新,
// 爆, 沸 or 荐 set apart at the start or end ("某事 爆", "【新】某事", "某事🔥热"), is left
// out, and so are the "#" around a topic. The same title always gives the same key on any
// thread, and a key is its own key, so it can name a title in stored history.
Text topic_key(TextView title);

// Whether two titles (of different boards) name the same event. Equal keys do; else both
// must pass two guards and the threshold:
// - numbers: when both hold numbers ("5.2级", "3人"), those of one stand in the other in
//   the same order, so two earthquakes of different magnitudes, two counts of the dead,
//   or "3比0" and "0比3", stay apart;
// - follow-ups: a title that names what came after an event (发布会, 赛后, 回应, 道歉,
//   声明, 宣判 …) joins only a title that names one too, so a match and the press
//   conference after it stay apart;
// - shared: the characters that both titles hold in common pieces of two or more, not
//   counting numbers (with a unit after them, "级", "人") and wording that says nothing of
//   the event (官方, 通报, 发生, 最新, 视频, 如何看待 …), are at least kMinSharedCharacters
//   ("某地" and "地震");
// - own: one of the two holds at most kMaxOwnCharacters such characters outside what they
//   share: so two titles that share a place, a person or a phrase but each say something
//   else of it ("北京地铁故障", "北京地铁新线开通") stay apart.
// Titles are compared by their first kMaxComparedCharacters characters.
inline constexpr size_t kMinSharedCharacters = 4;
inline constexpr size_t kMaxOwnCharacters = 1;
inline constexpr size_t kMaxComparedCharacters = 64;
bool same_event(TextView a, TextView b);

// One board's titles, ranked, as the merge reads them.
struct RankedBoard {
    std::string board;                  // the board's key
    std::span<const HotEntry> entries;  // in board order; the first kMaxMergedEntries are read
};
inline constexpr size_t kMaxMergedEntries = 100;

// One board's title in a merged topic.
struct TopicMention {
    std::string board;  // the board's key
    HotEntry entry;     // its title, rank and heat on that board
    double placing;     // rank ÷ the number of the board's entries read: the smaller, the higher
};

struct MergedTopic {
    Text title;                          // the title on the board where it stands highest
    std::vector<TopicMention> mentions;  // one per board, highest placing first
};

// The boards' titles as topics: each title joins the topic of an earlier-placed title of
// another board that names the same event (same_event with one of its titles, and the
// guards with all), never a topic that already holds a title of its own board; else it
// opens a topic. Titles are taken by placing, then board, then rank. Topics come by the
// number of boards that carry them, then by their best placing, then by that title's
// board (in the order given) and rank. Titles are compared within a bound of
// kMaxMergeWork character comparisons (real boards take a small part of it), so that
// hostile titles cost a bounded time; past it, a title not yet placed opens a topic.
inline constexpr size_t kMaxMergeWork = 20'000'000;
std::vector<MergedTopic> merge_topics(std::span<const RankedBoard> boards);

}  // namespace qinghe
