// The generate button's action: the hot-topic planting that may come first, the run,
// and what the window shows and copies afterwards.
#include <chrono>
#include <functional>
#include <optional>

#include "controls/names.h"
#include "controls/stoppable_services.h"
#include "hot/all_boards.h"
#include "hot/boards.h"
#include "hot/topic_cache.h"
#include "hot/topic_filter.h"
#include "hot/topic_merge.h"
#include "text/codec.h"
#include "text/search.h"
#include "titles/generator.h"
#include "titles/run_checks.h"
#include "titles/run_record.h"

namespace qinghe {
namespace {

// While a run lasts (a hot-topic fetch can take up to the request's time-out, with the
// window processing events), the cursor says "busy" and every control whose action reads
// or writes the lists or the slots is off: the slot buttons, saving, restoring, the
// hot-topic box and the board. So the titles land in the slot selected when the run
// began, and nothing half-fetched is saved. All comes back however the run ends. The
// generate button is off too, except while a fetch waits: then it stops the fetch.
class RunInProgress {
public:
    explicit RunInProgress(Window& window) : window_(window) {
        for (const Text* control : controls()) window_.set_enabled(*control, false);
        window_.set_busy(true);
    }
    ~RunInProgress() {
        window_.set_busy(false);
        window_.set_enabled(name::generate_button, true);
        for (const Text* control : controls()) window_.set_enabled(*control, true);
    }
    RunInProgress(const RunInProgress&) = delete;
    RunInProgress& operator=(const RunInProgress&) = delete;

    // From here on the run only builds headlines: the button is off.
    void building() { window_.set_enabled(name::generate_button, false); }

private:
    static std::span<const Text* const> controls() {
        static const Text* const kControls[] = {
            &name::slot_radio_1, &name::slot_radio_2,   &name::slot_radio_3,     &name::slot_radio_4,
            &name::save_button,  &name::restore_button, &name::hot_topics_check, &name::board_choice,
        };
        return kControls;
    }

    Window& window_;
};

// The fetch waiting now, if any: the generate button's click stops it. Runs happen on the
// GUI thread, one fetch at a time.
StoppableServices* fetch_under_way = nullptr;

// While a fetch waits: the prefix box takes no typing (what it holds is what the run
// keeps should the fetch fail), and the generate button reads "取消获取".
class FetchUnderWay {
public:
    FetchUnderWay(Window& window, StoppableServices& services) : window_(window) {
        window_.set_read_only(name::prefix_box, true);
        window_.set_content(name::generate_button, from_utf8("取消获取"));
        fetch_under_way = &services;
    }
    ~FetchUnderWay() {
        fetch_under_way = nullptr;
        window_.set_content(name::generate_button, from_utf8("生成标题"));
        window_.set_read_only(name::prefix_box, false);
    }
    FetchUnderWay(const FetchUnderWay&) = delete;
    FetchUnderWay& operator=(const FetchUnderWay&) = delete;

private:
    Window& window_;
};

// The merged view plants at most this many titles, as a board gives about as many.
constexpr size_t kMaxMergedTitles = 50;

// The board chosen in the writer's panel, nullptr for every board at once; the first
// board when the choice names none.
const HotBoard* chosen_board(const Window& window) {
    const Text choice = window.content(name::board_choice);
    if (choice == from_utf8(kAllBoardsChoice)) return nullptr;
    for (const HotBoard& board : hot_boards()) {
        if (from_utf8(board.name) == choice) return &board;
    }
    return &hot_boards().front();
}

// What planting hot topics gave: whether titles went in (else the run ends), whether a
// grey line stands above the headlines, the panel's line (the board and when its titles
// were fetched, or why the run ended), and which boards the titles came from.
struct Planted {
    bool done = false;
    bool notice = false;
    Text status = {};
    PlantedBoards boards = {};
};

// Titles to plant: what the fetch gave, the grey lines that stand above the headlines
// once they are planted (kept titles standing in, boards that gave none), and the panel's
// line saying where the titles come from.
struct Harvest {
    std::vector<Text> titles = {};
    std::vector<Text> notices = {};
    Text status = {};
    PlantedBoards boards = {};
};

// Filters the titles and replaces the prefix list by those kept, each followed by CR LF,
// in one write, the grey lines going above the headlines. When the filter leaves none,
// the list stays and a grey line says so.
Planted plant_titles(Window& window, Harvest harvest, const std::function<const RunChecks&()>& word_lists) {
    const RunChecks& checks = word_lists();
    const TopicFilterOptions filter{.avoid_disasters = window.checked(name::avoid_disasters_check),
                                    .excluded = checks.excluded_topics,
                                    .included = checks.included_topics};
    const FilteredTopics filtered = filter_topics(std::move(harvest.titles), filter);
    Planted planted{.done = true,
                    .notice = !harvest.notices.empty(),
                    .status = std::move(harvest.status),
                    .boards = std::move(harvest.boards)};
    if (filtered.left_out() > 0) planted.status.append(kCrLf).append(filter_status(filtered));
    if (filtered.kept.empty()) {
        for (const Text& notice : harvest.notices) append_result_line(window, notice, kNoticeColour);
        append_result_line(
            window, from_utf8("热点筛选排除了全部 " + std::to_string(filtered.seen) + " 条热点，前缀列表保持不变。"),
            kNoticeColour);
        return {.status = planted.status};
    }
    Text content;
    for (const Text& title : filtered.kept) content.append(title).append(kCrLf);
    window.replace_content(name::prefix_box, content);
    for (const Text& notice : harvest.notices) append_result_line(window, notice, kNoticeColour);
    return planted;
}

// Every board at once: the topics of the boards' titles merged (hot/topic_merge.h), the
// first kMaxMergedTitles titles in merged order. A board that gave none has its kept
// titles merged in, with a grey line giving their age, or else a grey line saying why;
// the panel's line names the boards that gave none. While the boards are fetched the
// panel's line counts them ("全网 · 获取中 4/6"), and the generate button stops them all.
Planted plant_merged_topics(Window& window, const std::function<const RunChecks&()>& word_lists,
                            const BoardFetched& board_fetched) {
    StoppableServices services(window.services());
    AllBoardsFetch fetch;
    {
        const FetchUnderWay waiting(window, services);
        fetch = fetch_all_boards(services, [&window](size_t done, size_t total) {
            window.set_content(name::status_label,
                               from_utf8("全网 · 获取中 " + std::to_string(done) + "/" + std::to_string(total)));
        });
    }
    if (fetch.cancelled) return {.status = from_utf8("已取消")};
    const auto now = std::chrono::system_clock::now();
    Harvest harvest;
    size_t live = 0;
    Text missing;  // "知乎（3 小时前的）、抖音": kept titles stand in for Zhihu's, Douyin gave none
    for (const BoardTopics& board : fetch.boards) {
        if (board.live()) {
            ++live;
            if (board_fetched) board_fetched(*board.board, board.fetched, board.entries);
            continue;
        }
        const Text board_name = from_utf8(board.board->name);
        if (!missing.empty()) missing.append(from_utf8("、"));
        missing.append(from_utf8(board.board->short_name));
        if (board.from_cache) {
            harvest.notices.push_back(cached_topics_notice(board.reason, board_name, {{}, board.fetched}, now));
            missing.append(from_utf8("（") + topics_age(board.fetched, now) + from_utf8("的）"));
        } else {
            harvest.notices.push_back(from_utf8("未能获取") + board_name + from_utf8("（") + board.reason +
                                      from_utf8("），全网合并中没有它的热点。"));
        }
    }
    for (const MergedTopic& topic : merge_topics(ranked_boards(fetch))) {
        if (harvest.titles.size() == kMaxMergedTitles) break;
        harvest.titles.push_back(topic.title);
        if (!topic.mentions.empty()) harvest.boards.board_of_title.emplace_back(topic.title, topic.mentions[0].board);
    }
    std::stable_sort(harvest.boards.board_of_title.begin(), harvest.boards.board_of_title.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    harvest.status = fetched_status(from_utf8("全网 · " + std::to_string(live) + " 个榜"), now, now);
    if (!missing.empty()) harvest.status.append(kCrLf).append(from_utf8("未获取：")).append(missing);
    if (harvest.titles.empty()) {
        for (const Text& notice : harvest.notices) append_result_line(window, notice, kNoticeColour);
        append_result_line(window, from_utf8("未能获取实时热点（没有一个榜有热点），前缀列表保持不变。"),
                           kNoticeColour);
        return {.status = harvest.status};
    }
    return plant_titles(window, std::move(harvest), word_lists);
}

// Replaces the prefix list by the chosen board's live titles and keeps them as the
// board's last good titles. When the board gives none, its kept titles go in instead,
// with a grey line giving their age; without kept titles the grey line says why. The box
// is written only once everything else has been done, so a run that fails or is stopped
// on the way leaves it as it was.
Planted plant_hot_topics(Window& window, const std::function<const RunChecks&()>& word_lists,
                         const BoardFetched& board_fetched) {
    const HotBoard* board = chosen_board(window);
    if (!board) return plant_merged_topics(window, word_lists, board_fetched);
    const Text board_name = from_utf8(board->name);
    StoppableServices services(window.services());
    HotTopicsFetch fetch;
    {
        const FetchUnderWay waiting(window, services);
        fetch = board->fetch(services);
    }
    if (services.cancelled()) return {.status = from_utf8("已取消")};
    const auto now = std::chrono::system_clock::now();
    Harvest harvest{.boards = {.board = board->key}};
    if (!fetch.entries.empty()) {
        if (board_fetched) board_fetched(*board, now, fetch.entries);
        harvest.titles = titles_of(fetch.entries);
        const Text problem = store_topics(services.settings_folder(), board->key, harvest.titles, now);
        if (!problem.empty()) services.report_problem(problem);
        harvest.status = fetched_status(board_name, now, now);
    } else {
        services.report_problem(fetch.address + ": " + fetch.reason);
        std::optional<CachedTopics> cached = load_topics(services.settings_folder(), board->key);
        if (!cached) {
            append_result_line(window,
                               from_utf8("未能获取实时热点（") + fetch.reason + from_utf8("），前缀列表保持不变。"),
                               kNoticeColour);
            return {};
        }
        harvest.notices.push_back(cached_topics_notice(fetch.reason, board_name, *cached, now));
        harvest.titles = std::move(cached->titles);
        harvest.status = fetched_status(board_name, cached->fetched, now);
    }
    return plant_titles(window, std::move(harvest), word_lists);
}

// The headlines into the result box in their two colours, then onto the clipboard.
void show_headlines(Window& window, const Headlines& headlines, bool notice_above, const RunMarks* marks) {
    std::vector<ColouredLine> lines;
    lines.reserve(headlines.ends.size());
    size_t begin = 0;
    for (size_t i = 0; i < headlines.ends.size(); ++i) {
        const size_t end = headlines.ends[i];
        lines.push_back({TextView(headlines.text).substr(begin, end - begin),
                         i % 2 == 0 ? kFirstLineColour : kSecondLineColour,
                         marks ? marks->of(i) : std::span<const LineMark>()});
        begin = end;
    }
    window.append_lines(name::result_box, result_line_format(kFirstLineColour), lines);
    if (!headlines.shortfall.empty()) append_result_line(window, headlines.shortfall, kNoticeColour);
    if (headlines.shortfall.empty() && !notice_above) {
        window.copy_content_to_clipboard(name::result_box);
        return;
    }
    // The clipboard takes the headlines alone, ready to publish.
    Text text;
    text.reserve(headlines.text.size() + headlines.ends.size() * 2);
    begin = 0;
    for (size_t end : headlines.ends) text.append(headlines.text, begin, end - begin).append(kCrLf), begin = end;
    window.copy_text_to_clipboard(text);
}

// The beginnings of the notes that stand under a run's lines.
constexpr const char* kNotePrefixes[] = {"已复制：",
                                         "已导出 ",
                                         "导出失败：",
                                         "勾选「",
                                         "检查词组：",
                                         "历史记录",
                                         "已植入 ",
                                         "已收藏：",
                                         "已取消收藏：",
                                         "设置文件夹无法写入",
                                         "避开用过的标题未生效"};

bool is_note(TextView line) {
    for (const char* prefix : kNotePrefixes) {
        if (line.starts_with(from_utf8(prefix))) return true;
    }
    return false;
}

// The run behind the button once no fetch waits: what it made, for the record.
RunRecord run_generator(Window& window, const RunHooks& hooks) {
    RunInProgress run(window);
    window.set_content(name::result_box, {});
    // Read only when a check needs them: a run without any reads no file of them.
    std::optional<RunChecks> checks;
    const std::function<const RunChecks&()> word_lists = [&]() -> const RunChecks& {
        if (!checks) checks = hooks.load_word_lists ? hooks.load_word_lists() : RunChecks{};
        return *checks;
    };
    Planted planted;
    if (window.checked(name::hot_topics_check)) {
        planted = plant_hot_topics(window, word_lists, hooks.board_fetched);
        if (!planted.done) {
            window.set_content(name::status_label, planted.status);
            return {};
        }
    }
    run.building();
    GeneratorInput input = read_generator_input(window);
    input.writer.typeset = hooks.typeset;
    // 避开用过的标题: the used headlines are read only when the box is ticked; when they
    // cannot be, the run goes on without them and says so.
    Text used_note;
    if (window.checked(name::avoid_used_check) && hooks.load_used_headlines) {
        UsedHeadlinesCheck loaded = hooks.load_used_headlines();
        input.writer.used = std::move(loaded.used);
        if (!loaded.problem.empty()) used_note = from_utf8("避开用过的标题未生效（") + loaded.problem + from_utf8("）");
    }
    const RiskMode risk_mode = risk_mode_of(window.content(name::risk_choice));
    std::shared_ptr<const RiskChecker> checker;
    if (risk_mode != RiskMode::off) checker = risk_checker_for(word_lists().risk_words, word_lists().allowed_words);
    if (risk_mode == RiskMode::avoid) input.writer.blocking_word = blocking_word_hook(checker, input.writer.platform);
    RuntimeServices& services = window.services();
    Headlines headlines = build_headlines(
        input, [&services] { return services.tick_count(); }, [&services] { services.process_pending_messages(); });
    std::optional<RunMarks> marks;
    if (checker) marks = mark_run(*checker, headlines.text, headlines.ends, input.writer.platform);
    show_headlines(window, headlines, planted.notice, marks ? &*marks : nullptr);
    Text status = run_status(headlines, input.writer.platform);
    if (marks) status.append(kCrLf).append(risk_counts(*marks));
    if (!planted.status.empty()) status.append(kCrLf).append(planted.status);
    window.set_content(name::status_label, status);
    if (!used_note.empty()) show_status_note(window, used_note);
    std::optional<PlantedBoards> boards;
    if (planted.done) boards = std::move(planted.boards);
    return RunRecord(std::move(headlines), input, std::move(boards));
}

}  // namespace

void show_status_note(Window& window, TextView note) {
    Text status;
    for (const Text& line : split_list(window.content(name::status_label), kCrLf)) {
        if (!is_note(line)) status.append(line).append(kCrLf);
    }
    window.set_content(name::status_label, status.append(note));
}

void note_board_choice(Window& window) {
    if (!window.checked(name::hot_topics_check)) show_status_note(window, from_utf8("勾选「植入实时热点」后生效"));
}

void generate_titles(Window& window, const RunHooks& hooks) {
    // A click while the fetch waits (the button then reads "取消获取") stops it.
    if (fetch_under_way) {
        fetch_under_way->stop();
        return;
    }
    RunRecord record = run_generator(window, hooks);
    if (hooks.keep_record) hooks.keep_record(std::move(record));
}

}  // namespace qinghe
