#include "titles/writer_run.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <chrono>
#include <climits>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "text/codec.h"
#include "titles/headline_length.h"
#include "titles/keywords.h"
#include "titles/phrase_space.h"

namespace qinghe {
namespace {

using namespace phrase_space;

enum Part : size_t { Prefix, Link, Suffix, kParts };

// Random draws of a headline that come out not allowed (made before, refused, or, with
// characters that merge across a join, out of range) before the candidates are listed.
constexpr int kRandomTries = 16;
// Allowed headlines a listing gathers from the pools before one of them is drawn.
constexpr size_t kGathered = 16;
// Headlines a dead end looks at to make by exchanges with earlier headlines.
constexpr size_t kRepairTargets = 64;
constexpr size_t kRepairTargetsPerPhrase = 4;
// Allowed headlines kept per keyword once a run with repeats allowed had to list them.
constexpr size_t kKeptAllowed = size_t{1} << 20;
// Words that refused headlines named on a grey line; "等" stands for more.
constexpr size_t kNamedWords = 5;
// Headlines a run may compose and check while it searches, and headlines it may take
// back at dead ends: a run that would need more stops and says so.
constexpr size_t kSearchBudget = 4'000'000;
constexpr int kTakeBacks = 2'000;  // shared among the starts below
// Searches a stuck run without repeats makes, each from the first headline.
constexpr int kStarts = 8;
// Phrases drawn earlier in their cycle whose headlines an exchange looks at, per list.
constexpr size_t kStandInChecks = 4'096;
// A draw within a platform's range weighs a phrase by (p / q)^kWeightPower, at most
// kMaxWeight, when its list's least constrained phrase has p fitting partners and it q.
constexpr double kWeightPower = 1.5;
constexpr double kMaxWeight = 1e6;
// pick_random_index draws among this many values at most.
constexpr size_t kRandomValues = 32'768;

// One list's phrases. Without repeats a phrase is its text (an entry that stands twice
// is one phrase); otherwise each entry is one, so that draws weigh entries as the
// designed run does.
struct PhraseList {
    std::vector<TextView> entries;          // in the run's input
    std::vector<uint32_t> blank_row;        // per entry: its row in `filled`, or kNone without blanks
    std::vector<std::vector<Text>> filled;  // per keyword: the entries with blanks, filled
    std::vector<std::vector<Span>> spans;   // per keyword and entry
    std::vector<std::vector<char>> open;    // per keyword and entry: not refused, not too long alone

    TextView text(size_t keyword, uint32_t entry) const {
        return blank_row[entry] == kNone ? entries[entry] : filled[keyword][blank_row[entry]];
    }
};

std::vector<TextView> views(const std::vector<Text>& entries, bool distinct) {
    std::vector<TextView> out;
    out.reserve(entries.size());
    std::unordered_set<TextView> seen;
    for (const Text& entry : entries) {
        if (!distinct || seen.insert(entry).second) out.push_back(entry);
    }
    return out;
}

// One headline's phrases, as entry numbers of the lists.
struct Draw {
    uint32_t phrase[kParts] = {};
    bool operator==(const Draw&) const = default;
};
struct DrawHash {
    size_t operator()(const Draw& draw) const {
        std::uint64_t h = draw.phrase[0];
        h = h * 0x9E3779B97F4A7C15ull + draw.phrase[1];
        h = h * 0x9E3779B97F4A7C15ull + draw.phrase[2];
        return static_cast<size_t>(h ^ (h >> 29));
    }
};
using DrawSet = std::unordered_set<Draw, DrawHash>;

// The headlines made, by a 64-bit hash of their text: two texts that share a hash (about
// one chance in 10^9 for 100,000 headlines) only keep a new one from being made, never
// let one come twice.
class MadeSet {
public:
    static std::uint64_t hash(TextView text) { return std::hash<TextView>{}(text); }
    void reserve(size_t count) { counts_.reserve(count); }
    bool contains(TextView text) const { return counts_.contains(hash(text)); }
    void insert(std::uint64_t hash) { ++counts_[hash]; }
    void erase(std::uint64_t hash) {
        const auto it = counts_.find(hash);
        if (--it->second == 0) counts_.erase(it);
    }

private:
    std::unordered_map<std::uint64_t, std::uint32_t> counts_;
};

// Calls the window's pump once at least every 20 ms of work.
class Pacer {
public:
    explicit Pacer(const std::function<void()>& pump) : pump_(pump), last_(std::chrono::steady_clock::now()) {}
    void step() {
        if (!pump_ || ++steps_ % 256 != 0) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(20)) return;
        pump_();
        last_ = std::chrono::steady_clock::now();
    }

private:
    const std::function<void()>& pump_;
    std::chrono::steady_clock::time_point last_;
    unsigned steps_ = 0;
};

// Why a run stopped short.
enum class Stop {
    Done,
    NoneAllowed,  // no headline for the keyword fits and may stand
    Exhausted,    // without repeats: the lists make no more different headlines
    Stuck,        // without repeats: the rest would need a phrase before its turn
    Searched,     // the search budget is spent
};

// The largest n such that headlines 0 .. n-1 (headline i taking keyword i mod k) can
// each get a different text, at most `cap`: `groups` gives how many texts each set of
// keywords shares (a text with a blank belongs to one keyword, one without to all).
size_t most_headlines(const std::vector<std::pair<std::vector<uint32_t>, size_t>>& groups, size_t keywords,
                      size_t cap) {
    const size_t count = groups.size();
    std::vector<std::vector<uint32_t>> groups_of(keywords);
    std::vector<size_t> left(count);
    for (size_t g = 0; g < count; ++g) {
        left[g] = groups[g].second;
        for (uint32_t k : groups[g].first) groups_of[k].push_back(static_cast<uint32_t>(g));
    }
    // flow[k * count + g]: headlines of keyword k given texts of group g.
    std::vector<size_t> flow(keywords * count);
    std::vector<std::pair<uint32_t, uint32_t>> from(keywords);
    std::vector<char> seen(keywords);
    std::vector<uint32_t> queue;
    for (size_t n = 0; n < cap; ++n) {
        // One more headline for keyword n mod k: a path of keywords that pass a text on,
        // ending at a group with a text left.
        const auto start = static_cast<uint32_t>(n % keywords);
        std::fill(seen.begin(), seen.end(), 0);
        queue.assign(1, start);
        seen[start] = 1;
        uint32_t end_keyword = kNone, end_group = kNone;
        for (size_t q = 0; q < queue.size() && end_keyword == kNone; ++q) {
            const uint32_t k = queue[q];
            for (uint32_t g : groups_of[k]) {
                if (left[g] > 0) {
                    end_keyword = k, end_group = g;
                    break;
                }
            }
            if (end_keyword != kNone) break;
            for (uint32_t g : groups_of[k]) {
                for (uint32_t other = 0; other < keywords; ++other) {
                    if (seen[other] || flow[other * count + g] == 0) continue;
                    seen[other] = 1;
                    from[other] = {k, g};
                    queue.push_back(other);
                }
            }
        }
        if (end_keyword == kNone) return n;
        --left[end_group];
        ++flow[end_keyword * count + end_group];
        for (uint32_t k = end_keyword; k != start;) {
            const auto [previous, g] = from[k];
            --flow[k * count + g];
            ++flow[previous * count + g];
            k = previous;
        }
    }
    return cap;
}

class WriterRun {
public:
    WriterRun(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
              const std::function<void()>& pump)
            : input_(input),
              options_(input.writer),
              ticks_(ticks),
              pacer_(pump),
              ruler_(options_.platform),
              parts_(input.suffix_mode ? 3 : 2),
              keywords_(std::max<size_t>(options_.keywords.size(), 1)) {
        const Text* punctuation[] = {&input.punctuation_1, &input.punctuation_2, &input.punctuation_3};
        for (size_t p = 0; p < parts_; ++p) {
            punctuation_ += ruler_.span(measure_.measure(*punctuation[p]));
            punctuation_texts_[p] = punctuation[p];
        }
        punctuation_loose_ = !punctuation_.exact();
        const std::vector<Text>* entries[] = {&input.prefixes, &input.links, &input.suffixes};
        lists_.resize(parts_);
        for (size_t p = 0; p < parts_; ++p) read_list(lists_[p], views(*entries[p], options_.no_repeat));
        for (size_t k = 0; k < keywords_; ++k) {
            Space& space = all_.emplace_back(parts_, ruler_);
            for (size_t p = 0; p < parts_; ++p) {
                Members& members = space.change(p);
                members.init(lists_[p].spans[k], lists_[p].open[k]);
                for (uint32_t i = 0; i < lists_[p].entries.size(); ++i) members.add(i);
            }
        }
        allowed_kept_.resize(keywords_);
        if (options_.no_repeat) set_up_pools();
        // Where each prefix phrase stands in the run's prefix list (the phrases keep its
        // order, some repeats left out), for the headlines' record of their prefix.
        for (uint32_t row = 0; row < input.prefixes.size() && prefix_rows_.size() < lists_[0].entries.size(); ++row) {
            if (input.prefixes[row].data() == lists_[0].entries[prefix_rows_.size()].data())
                prefix_rows_.push_back(row);
        }
    }

    Headlines run() {
        const size_t typed = static_cast<size_t>(input_.count);
        const size_t wanted = typed + typed % 2;
        out_.ends.reserve(wanted);
        if (options_.no_repeat) made_.reserve(wanted), history_.reserve(wanted);
        Stop stop = search(wanted);
        // A search stuck near the end of a cycle often gets through from a fresh start with
        // other draws; the longest run any start reached is kept.
        for (int start = 1; start < kStarts && stop == Stop::Stuck && take_backs_left_ == 0; ++start) {
            start_afresh();
            stop = search(wanted);
        }
        if (stop == Stop::Stuck || stop == Stop::Searched) restore_best();
        // A search that ran out at the most the lists can make says so.
        if (stop == Stop::Stuck && capacity_ && made() == *capacity_) stop = Stop::Exhausted;
        if (options_.no_repeat) {
            out_.text.reserve(wanted * 48);
            for (size_t i = 0; i < history_.size(); ++i) {
                compose(keyword_of(i), history_[i].draw);
                out_.text.append(headline_);
                out_.ends.push_back(out_.text.size());
                out_.prefixes.push_back(prefix_rows_[history_[i].draw.phrase[0]]);
            }
        }
        if (made() < typed) out_.shortfall = shortfall(made(), stop, keyword_of(made()));
        return std::move(out_);
    }

private:
    // Draws headlines until `wanted` are made or the run cannot go on: why it stopped.
    Stop search(size_t wanted) {
        Stop stop = Stop::Done;
        while (made() < wanted) {
            pacer_.step();
            const size_t keyword = keyword_of(made());
            const std::optional<Draw> draw = options_.no_repeat ? draw_new(keyword) : draw_any(keyword);
            if (draw) {
                accept(keyword, *draw);
                continue;
            }
            // Exchanges are tried once per depth reached: taken back below it, the run
            // searches by taking back alone.
            if (options_.no_repeat && (!repair_failed_at_ || made() > *repair_failed_at_)) {
                if (repair(keyword)) continue;
                repair_failed_at_ = made();
            }
            stop = dead_end(keyword, made(), wanted);
            if (stop != Stop::Done) break;
            --take_backs_left_;
            take_back(true);
        }
        return stop;
    }

    // Takes every headline back, the longest run reached still kept in `best_`.
    void start_afresh() {
        while (!history_.empty()) take_back(false);
        excluded_.clear();
        take_backs_left_ = kTakeBacks / kStarts;
        repair_failed_at_.reset();
    }

    size_t keyword_of(size_t headline) const { return headline % keywords_; }
    size_t made() const { return options_.no_repeat ? history_.size() : out_.ends.size(); }

    // Counts one headline composed and checked in a search; false once the budget is spent.
    bool spend() {
        if (searched_ >= kSearchBudget) return search_spent_ = true, false;
        ++searched_;
        pacer_.step();
        return true;
    }

    void read_list(PhraseList& list, std::vector<TextView> entries) {
        const size_t count = entries.size();
        list.entries = std::move(entries);
        list.blank_row.assign(count, kNone);
        list.filled.resize(keywords_);
        list.spans.assign(keywords_, std::vector<Span>(count));
        list.open.assign(keywords_, std::vector<char>(count));
        for (uint32_t i = 0; i < count; ++i) {
            pacer_.step();
            const TextView entry = list.entries[i];
            const bool blanks = !options_.keywords.empty() && fill_blanks(entry, {}).size() != entry.size();
            if (blanks) list.blank_row[i] = static_cast<uint32_t>(list.filled[0].size());
            for (size_t k = 0; k < keywords_; ++k) {
                if (blanks) list.filled[k].push_back(fill_blanks(entry, options_.keywords[k]));
                if (k == 0 || blanks) {
                    const TextView text = list.text(k, i);
                    list.spans[k][i] = ruler_.span(measure_.measure(text));
                    // A phrase whose own text is refused is taken as unable to stand: nearly
                    // every headline holding it holds the refused word too.
                    list.open[k][i] = list.spans[k][i].lo < ruler_.slots() && !refused(text);
                } else {
                    list.spans[k][i] = list.spans[0][i];
                    list.open[k][i] = list.open[0][i];
                }
            }
        }
    }

    bool refused(TextView text) {
        if (!options_.blocking_word) return false;
        const Text word = options_.blocking_word(text);
        if (word.empty()) return false;
        // The grey line names a few.
        if (words_.size() <= kNamedWords && std::find(words_.begin(), words_.end(), word) == words_.end()) {
            words_.push_back(word);
        }
        return true;
    }

    // Each list's pool starts with the phrases that stand in some fitting headline of some
    // keyword; one space per keyword holds the pool's phrases open to that keyword.
    void set_up_pools() {
        standing_.resize(parts_);
        in_pool_.resize(parts_);
        drawn_at_.resize(parts_);
        for (size_t p = 0; p < parts_; ++p) {
            std::vector<char> stands(lists_[p].entries.size());
            for (size_t k = 0; k < keywords_; ++k) {
                const Viable viable = all_[k].standing(p, punctuation_);
                for (const auto& [group, end] : viable.groups) {
                    for (uint32_t phrase : all_[k].part(p).groups()[group].phrases) stands[phrase] = 1;
                }
            }
            for (uint32_t i = 0; i < stands.size(); ++i) {
                if (stands[i]) standing_[p].push_back(i);
            }
            in_pool_[p].assign(stands.size(), 0);
            drawn_at_[p].assign(stands.size(), SIZE_MAX);
        }
        pool_size_.assign(parts_, 0);
        for (size_t k = 0; k < keywords_; ++k) {
            Space& space = pools_.emplace_back(parts_, ruler_);
            for (size_t p = 0; p < parts_; ++p) space.change(p).init(lists_[p].spans[k], lists_[p].open[k]);
        }
        for (size_t p = 0; p < parts_; ++p) refill(p);
    }

    // Within a platform's range a uniform draw uses up the short phrases early and leaves
    // the long ones, which few partners complete, to the end of their cycle, where those
    // partners are gone. Each group of a pool is weighted by how much rarer fitting
    // partners left in the other pools are for it than for its list's least constrained
    // group, so that a phrase comes sooner as its partners run short.
    void weigh(const Space& space) {
        const int slots = ruler_.slots();
        const Span range = ruler_.range();
        // Per list: how many pool phrases weigh each weight (a loose one at its least).
        std::vector<std::vector<std::pair<int, double>>> counts(parts_);
        for (size_t p = 0; p < parts_; ++p) {
            for (const Members::Group& group : space.part(p).groups()) {
                if (!group.phrases.empty() && group.span.lo < slots) {
                    counts[p].emplace_back(group.span.lo, static_cast<double>(group.phrases.size()));
                }
            }
        }
        weights_.resize(parts_);
        std::vector<double> others(slots), next(slots);
        for (size_t p = 0; p < parts_; ++p) {
            // The other lists' combinations by their weight.
            std::fill(others.begin(), others.end(), 0.0);
            others[0] = 1;
            for (size_t q = 0; q < parts_; ++q) {
                if (q == p) continue;
                std::fill(next.begin(), next.end(), 0.0);
                for (int a = 0; a < slots; ++a) {
                    if (others[a] == 0) continue;
                    for (const auto& [b, count] : counts[q]) {
                        if (a + b < slots) next[a + b] += others[a] * count;
                    }
                }
                std::swap(others, next);
            }
            for (int t = 1; t < slots; ++t) others[t] += others[t - 1];  // now: up to t
            const auto up_to = [&](int t) { return t < 0 ? 0.0 : others[std::min(t, slots - 1)]; };
            const std::vector<Members::Group>& groups = space.part(p).groups();
            std::vector<double> partners(groups.size());
            double most = 0;
            for (size_t g = 0; g < groups.size(); ++g) {
                if (groups[g].phrases.empty()) continue;
                const Span total = groups[g].span + punctuation_;
                partners[g] = up_to(range.hi - total.lo) - up_to(range.lo - total.hi - 1);
                most = std::max(most, partners[g]);
            }
            std::vector<double>& weight = weights_[p];
            weight.assign(groups.size(), 1);
            for (size_t g = 0; g < groups.size(); ++g) {
                if (partners[g] > 0) weight[g] = std::min(std::pow(most / partners[g], kWeightPower), kMaxWeight);
            }
        }
    }

    void refill(size_t part) {
        for (uint32_t phrase : standing_[part]) in_pool_[part][phrase] = 1;
        pool_size_[part] = standing_[part].size();
        for (Space& space : pools_) {
            Members& members = space.change(part);
            for (uint32_t phrase : standing_[part]) members.add(phrase);
        }
    }

    // Takes a phrase out of its pool; true when that emptied the pool and it was refilled.
    bool use(size_t part, uint32_t phrase) {
        in_pool_[part][phrase] = 0;
        --pool_size_[part];
        for (Space& space : pools_) space.change(part).remove(phrase);
        if (pool_size_[part] > 0) return false;
        refill(part);
        return true;
    }

    void put_back(size_t part, uint32_t phrase, bool refilled) {
        if (refilled) {
            for (uint32_t p : standing_[part]) in_pool_[part][p] = 0;
            pool_size_[part] = 0;
            for (Space& space : pools_) space.change(part).clear();
        }
        in_pool_[part][phrase] = 1;
        ++pool_size_[part];
        for (Space& space : pools_) space.change(part).add(phrase);
    }

    const Span& span_of(size_t keyword, size_t part, uint32_t phrase) const {
        return lists_[part].spans[keyword][phrase];
    }

    void compose(size_t keyword, const Draw& draw) {
        headline_.clear();
        for (size_t p = 0; p < parts_; ++p) {
            headline_.append(lists_[p].text(keyword, draw.phrase[p])).append(*punctuation_texts_[p]);
        }
    }

    // Composes the headline and tells whether it fits and may stand; the spans already
    // kept the length unless a piece's characters can merge across a join.
    bool allowed(size_t keyword, const Draw& draw) {
        compose(keyword, draw);
        if (ruler_.limited()) {
            bool loose = punctuation_loose_;
            for (size_t p = 0; p < parts_ && !loose; ++p) loose = !span_of(keyword, p, draw.phrase[p]).exact();
            if (loose && !ruler_.fits(measure_.measure(headline_))) return false;
        }
        return !refused(headline_);
    }

    // One draw per part among the phrases that can still complete a fitting headline;
    // `weighted`, each phrase counts as often as `weigh` has it (where the generator's
    // values reach every phrase).
    std::optional<Draw> random_draw(Space& space, size_t keyword, bool weighted) {
        Draw draw;
        Span before = punctuation_;
        for (size_t p = 0; p < parts_; ++p) {
            const Viable& viable = space.viable(p, before);
            if (viable.total() == 0) return std::nullopt;
            const std::uint32_t tick = ticks_();
            if (weighted && viable.total() < kRandomValues) {
                if (!weighed_) weigh(space), weighed_ = true;
                // Each group's extra weight is scaled down so that all fit in the values the
                // generator draws.
                const std::vector<double>& ratio = weights_[p];
                double extra = 0;
                for (const auto& [group, end] : viable.groups) {
                    extra += (ratio[group] - 1) * static_cast<double>(space.part(p).groups()[group].phrases.size());
                }
                const double scale = extra > 0 ? std::min(1.0, (kRandomValues - viable.total()) / extra) : 0;
                std::vector<size_t>& weight = group_weights_;
                weight.clear();
                size_t sum = 0;
                for (const auto& [group, end] : viable.groups) {
                    weight.push_back(1 + static_cast<size_t>((ratio[group] - 1) * scale));
                    sum += weight.back() * space.part(p).groups()[group].phrases.size();
                }
                draw.phrase[p] = viable.at_weighted(space.part(p), weight, pick_random_index(sum, tick));
            } else {
                draw.phrase[p] = viable.at(space.part(p), pick_random_index(viable.total(), tick));
            }
            before += span_of(keyword, p, draw.phrase[p]);
        }
        return draw;
    }

    // Calls `visit` with each allowed headline of `space` (composed in headline_), the
    // first part's phrases from `start` on, until it returns true. False when the search
    // budget ran out first.
    template <class Visit>
    bool for_each_allowed(Space& space, size_t keyword, size_t start, Visit&& visit) {
        const Viable& first = space.viable(0, punctuation_);
        const size_t total = first.total();
        Draw draw;
        bool stop = false;
        for (size_t i = 0; i < total && !stop; ++i) {
            draw.phrase[0] = first.at(space.part(0), (start + i) % total);
            if (!walk(space, keyword, 1, punctuation_ + span_of(keyword, 0, draw.phrase[0]), draw, visit, stop)) {
                return false;
            }
        }
        return true;
    }

    template <class Visit>
    bool walk(Space& space, size_t keyword, size_t part, Span before, Draw& draw, Visit& visit, bool& stop) {
        if (part == parts_) {
            if (!spend()) return false;
            if (allowed(keyword, draw) && visit(draw)) stop = true;
            return true;
        }
        const Viable& viable = space.viable(part, before);
        for (const auto& [group, end] : viable.groups) {
            for (uint32_t phrase : space.part(part).groups()[group].phrases) {
                draw.phrase[part] = phrase;
                if (!walk(space, keyword, part + 1, before + span_of(keyword, part, phrase), draw, visit, stop)) {
                    return false;
                }
                if (stop) return true;
            }
        }
        return true;
    }

    // With repeats allowed: any allowed headline. When random draws keep missing, the
    // allowed headlines are listed once for the keyword and drawn from from then on.
    std::optional<Draw> draw_any(size_t keyword) {
        std::optional<std::vector<Draw>>& kept = allowed_kept_[keyword];
        if (!kept) {
            for (int attempt = 0; attempt < kRandomTries; ++attempt) {
                const std::optional<Draw> draw = random_draw(all_[keyword], keyword, false);
                if (!draw) return std::nullopt;
                if (allowed(keyword, *draw)) return draw;
            }
            std::vector<Draw> found;
            const bool complete = for_each_allowed(all_[keyword], keyword, 0, [&found](const Draw& draw) {
                found.push_back(draw);
                return found.size() == kKeptAllowed;
            });
            if (!complete && found.empty()) return std::nullopt;
            kept = std::move(found);
        }
        if (kept->empty()) return std::nullopt;
        return (*kept)[pick_random_index(kept->size(), ticks_())];
    }

    // Without repeats: an allowed headline not made before, from the pools. Choices that
    // led to dead ends from this point of the run are kept out.
    std::optional<Draw> draw_new(size_t keyword) {
        Space& space = pools_[keyword];
        const size_t level = history_.size();
        const auto it = excluded_.find(level);
        const DrawSet* excluded = it == excluded_.end() ? nullptr : &it->second;
        DrawSet missed;  // not allowed here; kept only for this draw
        const auto is_excluded = [&](const Draw& draw) {
            return missed.contains(draw) || (excluded && excluded->contains(draw));
        };
        weighed_ = false;  // the pools change only between draws
        for (int attempt = 0; attempt < kRandomTries; ++attempt) {
            const std::optional<Draw> draw = random_draw(space, keyword, ruler_.limited());
            if (!draw) return std::nullopt;
            if (is_excluded(*draw)) continue;
            if (allowed(keyword, *draw) && !made_.contains(headline_)) return draw;
            missed.insert(*draw);
        }
        const size_t total = space.viable(0, punctuation_).total();
        const size_t start = pick_random_index(total, ticks_());
        std::vector<Draw> found;
        for_each_allowed(space, keyword, start, [&](const Draw& draw) {
            if (is_excluded(draw) || made_.contains(headline_)) return false;
            found.push_back(draw);
            return found.size() == kGathered;
        });
        if (found.empty()) return std::nullopt;
        return found[pick_random_index(found.size(), ticks_())];
    }

    // No headline could be drawn for `keyword`: why, or Done when an earlier headline is
    // to be taken back and chosen again.
    Stop dead_end(size_t keyword, size_t made, size_t wanted) {
        if (search_spent_) return Stop::Searched;
        if (!options_.no_repeat) return Stop::NoneAllowed;
        // Over the whole lists: is any headline allowed, and any not made yet?
        bool any = false, fresh = false;
        for_each_allowed(all_[keyword], keyword, 0, [&](const Draw&) {
            any = true;
            fresh = !made_.contains(headline_);
            return fresh;
        });
        if (search_spent_) return Stop::Searched;
        if (!any) return Stop::NoneAllowed;
        if (!fresh) {
            const std::optional<size_t> most = capacity(wanted);
            if (search_spent_) return Stop::Searched;
            if (made >= *most) return Stop::Exhausted;
        }
        if (history_.empty() || take_backs_left_ == 0) return Stop::Stuck;
        return Stop::Done;
    }

    // How many headlines the lists can make with no text twice, headline i taking
    // keyword i mod k; at most `cap`. Unknown when the search budget runs out.
    std::optional<size_t> capacity(size_t cap) {
        if (capacity_) return capacity_;
        std::unordered_map<Text, std::vector<uint32_t>> keywords_of;
        for (uint32_t k = 0; k < keywords_; ++k) {
            size_t texts = 0;
            const bool complete = for_each_allowed(all_[k], k, 0, [&](const Draw&) {
                std::vector<uint32_t>& of = keywords_of[headline_];
                if (of.empty() || of.back() != k) of.push_back(k), ++texts;
                return texts == cap;
            });
            if (!complete) return std::nullopt;
        }
        std::map<std::vector<uint32_t>, size_t> shared;
        for (const auto& [text, of] : keywords_of) ++shared[of];
        capacity_ = most_headlines({shared.begin(), shared.end()}, keywords_, cap);
        return capacity_;
    }

    void accept(size_t keyword, const Draw& draw) {
        compose(keyword, draw);
        if (!options_.no_repeat) {
            out_.text.append(headline_);
            out_.ends.push_back(out_.text.size());
            out_.prefixes.push_back(prefix_rows_[draw.phrase[0]]);
            return;
        }
        Step step{draw, MadeSet::hash(headline_)};
        made_.insert(step.hash);
        for (size_t p = 0; p < parts_; ++p) {
            step.drawn_before[p] = std::exchange(drawn_at_[p][draw.phrase[p]], history_.size());
            step.refilled[p] = use(p, draw.phrase[p]);
        }
        history_.push_back(step);
        // The longest run so far, kept from where it parts from the present one.
        if (history_.size() > best_.size()) {
            best_.resize(history_.size());
            for (size_t i = same_as_best_; i < history_.size(); ++i) best_[i] = history_[i].draw;
            same_as_best_ = history_.size();
        }
    }

    // Takes the last headline back; with `remember`, its choice is not made again from
    // the same point.
    void take_back(bool remember) {
        const Step step = std::move(history_.back());
        history_.pop_back();
        for (size_t p = parts_; p-- > 0;) {
            put_back(p, step.draw.phrase[p], step.refilled[p]);
            drawn_at_[p][step.draw.phrase[p]] = step.drawn_before[p];
        }
        made_.erase(step.hash);
        const size_t level = history_.size();
        excluded_.erase(excluded_.upper_bound(level), excluded_.end());
        if (remember) excluded_[level].insert(step.draw);
        same_as_best_ = std::min(same_as_best_, level);
    }

    // Back to the longest run the search reached.
    void restore_best() {
        if (!options_.no_repeat) return;
        while (history_.size() > same_as_best_) take_back(false);
        for (size_t i = history_.size(); i < best_.size(); ++i) accept(keyword_of(i), best_[i]);
    }

    // Puts `phrase` of list `part` in the place of headline `level`'s, which goes back to
    // the pool; `hash` is the hash of the headline so changed. Both phrases belong to the
    // same cycle of that list, so the rule still holds.
    void exchange(size_t level, size_t part, uint32_t phrase, std::uint64_t hash) {
        Step& step = history_[level];
        const uint32_t old = step.draw.phrase[part];
        // Each keeps the headline that drew it before, as a take-back would restore it.
        drawn_at_[part][old] = std::exchange(step.drawn_before[part], drawn_at_[part][phrase]);
        drawn_at_[part][phrase] = level;
        in_pool_[part][phrase] = 0;
        in_pool_[part][old] = 1;
        for (Space& space : pools_) {
            Members& members = space.change(part);
            members.remove(phrase);
            members.add(old);
        }
        made_.erase(step.hash);
        made_.insert(hash);
        step.draw.phrase[part] = phrase;
        step.hash = hash;
    }

    // At a dead end: a headline allowed and new for the present place whose phrases were
    // drawn earlier in their lists' present cycles can still be made, when each of those
    // earlier headlines takes in its stead a phrase left in the pool. Long phrases, which
    // fewer combinations take, tend to be left to the end of a cycle while the short ones
    // they need are used up; this hands them back. True when a headline was made so.
    bool repair(size_t keyword) {
        for (size_t part = 0; part < parts_; ++part) {
            if (standing_[part].empty()) return false;
        }
        std::set<std::pair<size_t, size_t>> no_stand_in;  // earlier headline and list
        // Fewest exchanges first: each set of lists whose phrase comes from those drawn
        // this cycle, the others from their pools.
        for (int exchanges = 1; exchanges <= static_cast<int>(parts_); ++exchanges) {
            for (unsigned drawn = 1; drawn < (1u << parts_); ++drawn) {
                if (std::popcount(drawn) != exchanges) continue;
                Space mixed(parts_, ruler_);
                for (size_t p = 0; p < parts_; ++p) {
                    Members& members = mixed.change(p) = all_[keyword].part(p).emptied();
                    const bool from_pool = !(drawn >> p & 1);
                    size_t checks = kStandInChecks;
                    for (uint32_t phrase : standing_[p]) {
                        pacer_.step();
                        if (static_cast<bool>(in_pool_[p][phrase]) != from_pool) continue;
                        // A phrase drawn this cycle is worth a target only when its headline
                        // can take a phrase left in the pool instead.
                        if (!from_pool && !can_stand_in(p, phrase, checks, no_stand_in)) continue;
                        members.add(phrase);
                    }
                }
                const size_t total = mixed.viable(0, punctuation_).total();
                if (total == 0) continue;
                std::vector<Draw> targets;
                std::unordered_map<uint32_t, size_t> per_first;
                for_each_allowed(mixed, keyword, pick_random_index(total, ticks_()), [&](const Draw& draw) {
                    if (made_.contains(headline_) || ++per_first[draw.phrase[0]] > kRepairTargetsPerPhrase)
                        return false;
                    targets.push_back(draw);
                    return targets.size() == kRepairTargets;
                });
                for (const Draw& target : targets) {
                    if (free_for(keyword, target, no_stand_in)) return accept(keyword, target), true;
                    if (search_spent_) return false;
                }
            }
        }
        return false;
    }

    // Whether the headline that drew `phrase` of list `part` this cycle can take a phrase
    // left in the pool instead; false once `checks` are used up.
    bool can_stand_in(size_t part, uint32_t phrase, size_t& checks, std::set<std::pair<size_t, size_t>>& no_stand_in) {
        const size_t level = drawn_at_[part][phrase];
        if (level >= history_.size() || no_stand_in.contains({level, part})) return false;
        if (checks == 0) return false;
        --checks;
        if (stand_in_for(level, part)) return true;
        no_stand_in.insert({level, part});
        return false;
    }

    // Frees the phrases of `target` drawn earlier in their cycles by exchanges; undoes
    // them and answers false when one finds no phrase to take its place.
    bool free_for(size_t keyword, const Draw& target, std::set<std::pair<size_t, size_t>>& no_stand_in) {
        struct Undo {
            size_t level, part;
            uint32_t phrase;
            std::uint64_t hash;
        };
        std::vector<Undo> undo;
        const auto undo_all = [&] {
            for (auto it = undo.rbegin(); it != undo.rend(); ++it) exchange(it->level, it->part, it->phrase, it->hash);
            return false;
        };
        for (size_t part = 0; part < parts_; ++part) {
            const uint32_t phrase = target.phrase[part];
            if (in_pool_[part][phrase]) continue;
            const size_t level = drawn_at_[part][phrase];
            if (no_stand_in.contains({level, part})) return undo_all();
            const std::optional<uint32_t> stand_in = stand_in_for(level, part);
            if (!stand_in) {
                // Found with the headlines as they stand, it holds for the other targets.
                if (undo.empty()) no_stand_in.insert({level, part});
                return undo_all();
            }
            undo.push_back({level, part, phrase, history_[level].hash});
            compose(keyword_of(level), with(history_[level].draw, part, *stand_in));
            exchange(level, part, *stand_in, MadeSet::hash(headline_));
        }
        compose(keyword, target);
        if (made_.contains(headline_)) return undo_all();
        size_t lowest = history_.size();
        for (const Undo& u : undo) lowest = std::min(lowest, u.level);
        // What was found at the later headlines held for what stood before.
        excluded_.erase(excluded_.upper_bound(lowest), excluded_.end());
        same_as_best_ = std::min(same_as_best_, lowest);
        return true;
    }

    static Draw with(Draw draw, size_t part, uint32_t phrase) {
        draw.phrase[part] = phrase;
        return draw;
    }

    // A phrase left in list `part`'s pool that can take that list's place in headline
    // `level`, which stays allowed and new.
    std::optional<uint32_t> stand_in_for(size_t level, size_t part) {
        const size_t keyword = keyword_of(level);
        const Draw& draw = history_[level].draw;
        Span rest = punctuation_;
        for (size_t p = 0; p < parts_; ++p) {
            if (p != part) rest += span_of(keyword, p, draw.phrase[p]);
        }
        for (const Members::Group& group : pools_[keyword].part(part).groups()) {
            const Span total = rest + group.span;
            if (group.phrases.empty() || total.lo > ruler_.range().hi || total.hi < ruler_.range().lo) continue;
            for (uint32_t phrase : group.phrases) {
                if (!spend()) return std::nullopt;
                if (allowed(keyword, with(draw, part, phrase)) && !made_.contains(headline_)) return phrase;
            }
        }
        return std::nullopt;
    }

    std::string range_text() const {
        const Platform& platform = *options_.platform;
        return std::string(platform.name) + " " + std::to_string(platform.min_length) + "–" +
               std::to_string(platform.max_length) + " 字";
    }

    std::string word_list() const {
        std::string out;
        for (size_t i = 0; i < std::min(words_.size(), kNamedWords); ++i) out += (i ? "、" : "") + to_utf8(words_[i]);
        return words_.size() > kNamedWords ? out + "等" : out;
    }

    Text shortfall(size_t made, Stop stop, size_t keyword) {
        const std::string count = std::to_string(made), asked = std::to_string(input_.count);
        const std::string head =
            "只生成了 " + count + (options_.no_repeat ? " 条不重复的标题" : " 条标题") + "（要 " + asked + " 条）：";
        switch (stop) {
            case Stop::NoneAllowed: {
                if (const std::optional<std::string> why = length_rules_out(keyword)) {
                    return from_utf8("只有 " + count + " 条标题符合" + range_text() + "（要 " + asked +
                                     " 条），其余无法满足：" + *why + "。");
                }
                if (!words_.empty()) {
                    const std::string fitting = ruler_.limited() ? "符合" + range_text() + "的" : "";
                    return from_utf8(head + fitting + "其余组合都含有高风险词：" + word_list() + "。");
                }
                return from_utf8("只有 " + count + " 条标题符合" + range_text() + "（要 " + asked +
                                 " 条），其余无法满足：没有长度合适的组合。");
            }
            case Stop::Exhausted: {
                const std::string within = ruler_.limited() ? "在" + range_text() + "内" : "";
                const std::string clean = words_.empty() ? "" : "（含高风险词的不算）";
                return from_utf8(head + "这些词组" + within + "只能组成 " + std::to_string(*capacity_) +
                                 " 条不同的标题" + clean + "。");
            }
            case Stop::Stuck:
                return from_utf8(head + "每个词组要等同一列表的词组都用过一遍才能再用，剩下的组合排不进去。");
            case Stop::Searched:
                return from_utf8(head + "查找了 " + std::to_string(searched_) +
                                 " 种组合，没有找到下一条符合要求的标题。");
            case Stop::Done: break;
        }
        return {};
    }

    // When the lengths alone leave no headline for `keyword`, whatever the words: why.
    std::optional<std::string> length_rules_out(size_t keyword) const {
        if (!ruler_.limited()) return std::nullopt;
        static const char* const kTooLong[] = {"前缀太长", "衔接太长", "后缀太长"};
        const int slots = ruler_.slots();
        Weights total(1);
        int lightest = punctuation_.lo, heaviest = punctuation_.hi, heaviest_lightest = -1;
        size_t culprit = 0;
        for (size_t p = 0; p < parts_; ++p) {
            Weights values;
            int light = INT_MAX, heavy = 0;
            for (const Span& span : lists_[p].spans[keyword]) {
                light = std::min(light, span.lo), heavy = std::max(heavy, span.hi);
                for (int w = span.lo; w <= std::min(span.hi, slots - 1); ++w) values.set(w);
            }
            total = sums(total, values, slots);
            lightest += light, heaviest += heavy;
            if (light > heaviest_lightest) heaviest_lightest = light, culprit = p;
        }
        const Span range = ruler_.range();
        if (fitting({std::max(range.lo - punctuation_.hi, 0), range.hi - punctuation_.lo}, total, slots)[0]) {
            return std::nullopt;
        }
        if (lightest > range.hi) return kTooLong[culprit];
        if (heaviest < range.lo) return "标题太短";
        return "没有长度合适的组合";
    }

    struct Step {
        Draw draw;
        std::uint64_t hash = 0;  // of its text
        bool refilled[kParts] = {};
        size_t drawn_before[kParts] = {};  // the headline that last drew each phrase before this one
    };

    const GeneratorInput& input_;
    const WriterOptions& options_;
    const std::function<std::uint32_t()>& ticks_;
    Pacer pacer_;
    Ruler ruler_;
    HeadlineMeasure measure_;
    const size_t parts_, keywords_;
    std::vector<PhraseList> lists_;
    // Per prefix phrase: its row in the run's prefix list.
    std::vector<uint32_t> prefix_rows_;
    Span punctuation_;
    bool punctuation_loose_ = false;
    const Text* punctuation_texts_[kParts] = {};
    Headlines out_;            // with repeats allowed; otherwise made from `history_` at the end
    Text headline_;            // the headline last composed
    std::vector<Text> words_;  // the words that refused a phrase or a headline, in order
    std::vector<Space> all_;   // per keyword: every phrase open to it
    std::vector<std::optional<std::vector<Draw>>> allowed_kept_;
    size_t searched_ = 0;
    bool search_spent_ = false;

    // Without repeats.
    std::vector<std::vector<uint32_t>> standing_;  // per list: the phrases its pool holds when full
    std::vector<std::vector<char>> in_pool_;
    std::vector<std::vector<size_t>> drawn_at_;  // per list and phrase: the headline that drew it last
    std::vector<size_t> pool_size_;
    std::vector<Space> pools_;                  // per keyword: the pools' phrases open to it
    std::vector<std::vector<double>> weights_;  // per list and group of a pool, as `weigh` left them
    std::vector<size_t> group_weights_;         // per group a draw may take
    bool weighed_ = false;                      // `weights_` holds for the pools as they are
    MadeSet made_;
    std::vector<Step> history_;
    std::map<size_t, DrawSet> excluded_;  // per headline number: choices not to make again
    std::vector<Draw> best_;              // the longest run reached
    size_t same_as_best_ = 0;             // how many first headlines the present run shares with it
    int take_backs_left_ = kTakeBacks / kStarts;
    std::optional<size_t> capacity_;
    std::optional<size_t> repair_failed_at_;
};

}  // namespace

Headlines build_writer_headlines(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
                                 const std::function<void()>& pump) {
    return WriterRun(input, ticks, pump).run();
}

}  // namespace qinghe
