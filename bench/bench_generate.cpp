// Pressing "生成标题" on the real window, offscreen: click-to-clipboard time (cold: the
// first click in the process; warm: the next one), the bare generation loop without any
// widget (the limit), and the memory the run adds at its peak. Each count runs in a
// process of its own so that the peaks do not mix. Then 100,000 headlines with the
// writer's keyword and a platform's length range beside the same run without them (and
// beside the same run and click without setting the headlines for publishing), the risk check of a whole plain run of
// 100,000 beside the run itself and the click that marks its hits, and last no repeats over two 50,000-entry lists and
// many keywords over three, without the window: the run's time, the longest it goes without letting the window handle
// its events, and (many keywords) the memory it adds. Last the typesetting of such a run: 100,000 headlines of the
// built-in lists with a keyword, composed as the writer's run composes them, plain and set for publishing (each phrase
// set once, the joins per headline), and the whole-text setting of each headline beside them. `--run set|unset` makes
// one such run of the built-in lists with 新能源车 and 今日头条, set or not, on a clock that ticks by itself, for
// callgrind to count.
//   bench_generate [--typesetting | --run set|unset]
#include <sys/wait.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/process_status.h"
#include "bench/program.h"
#include "bench/runtime_folder.h"
#include "bench/stored_headlines.h"
#include "controls/names.h"
#include "history/history.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "text/search.h"
#include "titles/builtin.h"
#include "titles/generator.h"
#include "titles/headline_length.h"
#include "titles/keywords.h"
#include "titles/risk_words.h"
#include "titles/typesetting.h"

namespace {

double ms_of(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

// One run with a still clock, timed, and the longest time it went without pumping.
struct PumpedRun {
    qinghe::Headlines headlines;
    double ms = 0, longest_gap = 0;
};
PumpedRun pumped_run(const qinghe::GeneratorInput& input) {
    PumpedRun out;
    QElapsedTimer timer, since_pump;
    timer.start();
    since_pump.start();
    out.headlines = qinghe::build_headlines(
        input, [] { return 5000u; },
        [&] {
            out.longest_gap = std::max(out.longest_gap, ms_of(since_pump));
            since_pump.restart();
        });
    out.longest_gap = std::max(out.longest_gap, ms_of(since_pump));
    out.ms = ms_of(timer);
    return out;
}

// The program's window shown and settled, `count` in its count box; its generate button.
QAbstractButton* ready_to_generate(bench::Program& program, const char* count) {
    program.window().show();
    for (int i = 0; i < 20; ++i) program.app().processEvents();
    qinghe::QtWindow& controls = program.window().controls();
    controls.set_content(qinghe::name::count_box, count);
    return qobject_cast<QAbstractButton*>(controls.widget(qinghe::name::generate_button));
}

int child(const char* count) {
    bench::Program program;
    QApplication& app = program.app();
    qinghe::WindowWidget& window = program.window();
    qinghe::QtWindow& controls = window.controls();
    QAbstractButton* button = ready_to_generate(program, count);

    const long rss_before = bench::status_kb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    button->click();
    const double cold = ms_of(timer);
    app.processEvents();  // first paint of the result
    const long peak_added = bench::status_kb("VmHWM:") - rss_before;

    timer.restart();
    button->click();
    const double warm = ms_of(timer);
    app.processEvents();

    double loop = 1e300;
    for (int i = 0; i < 5; ++i) {
        const qinghe::GeneratorInput input = qinghe::read_generator_input(controls);
        timer.restart();
        const qinghe::Headlines headlines =
            qinghe::build_headlines(input, [&window] { return window.services().tick_count(); });
        loop = std::min(loop, ms_of(timer));
        if (headlines.ends.empty()) return 1;
    }
    std::printf("%9s %10.2f %10.2f %10.3f %8.0fx %10.1f\n", count, cold, warm, loop, warm / loop, peak_added / 1024.0);
    return 0;
}

// What a click is measured with: the keyword, the platform and 标题体检 (UTF-8).
struct Setting {
    const char* keyword;
    const char* platform;
    const char* risk;
};
constexpr Setting kPlain{"", "不限", "关闭"}, kFitting{"新能源车", "今日头条", "关闭"}, kMarked{"", "不限", "仅标注"};

// The best warm click of each setting, in milliseconds: the settings take turns, five
// rounds, so that a change in the machine's load falls on all of them alike.
std::vector<double> best_clicks(QApplication& app, QAbstractButton& button, qinghe::QtWindow& controls,
                                std::initializer_list<Setting> settings) {
    std::vector<double> best(settings.size(), 1e300);
    for (int round = 0; round < 5; ++round) {
        size_t i = 0;
        for (const Setting& setting : settings) {
            controls.set_content(qinghe::name::keyword_box, qinghe::from_utf8(setting.keyword));
            controls.set_content(qinghe::name::platform_choice, qinghe::from_utf8(setting.platform));
            controls.set_content(qinghe::name::risk_choice, qinghe::from_utf8(setting.risk));
            QElapsedTimer timer;
            timer.start();
            button.click();
            best[i] = std::min(best[i], ms_of(timer));
            app.processEvents();
            ++i;
        }
    }
    return best;
}

int fitting_child() {
    bench::Program program;
    QApplication& app = program.app();
    qinghe::WindowWidget& window = program.window();
    qinghe::QtWindow& controls = window.controls();
    QAbstractButton* button = ready_to_generate(program, "100000");
    button->click();  // the cold click
    app.processEvents();
    // The risk checker, built as the first click with 仅标注 builds it.
    QElapsedTimer timer;
    timer.start();
    const qinghe::RiskChecker checker;
    const double built = ms_of(timer);
    const std::vector<double> clicks = best_clicks(app, *button, controls, {kPlain, kFitting, kMarked});
    const double plain = clicks[0], fitting = clicks[1], marked = clicks[2];
    std::printf("100000 headlines, warm click: plain %.1f ms, keyword + 今日头条 %.1f ms (%+.1f%%)\n", plain, fitting,
                (fitting / plain - 1) * 100);
    controls.set_content(qinghe::name::keyword_box, qinghe::from_utf8(kFitting.keyword));
    controls.set_content(qinghe::name::platform_choice, qinghe::from_utf8(kFitting.platform));
    controls.set_content(qinghe::name::risk_choice, qinghe::from_utf8(kFitting.risk));
    // The generation alone, without the widget.
    const auto loop_ms = [&window](const qinghe::GeneratorInput& input) {
        double best = 1e300;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            const qinghe::Headlines headlines =
                qinghe::build_headlines(input, [&window] { return window.services().tick_count(); });
            best = std::min(best, ms_of(timer));
        }
        return best;
    };
    qinghe::GeneratorInput input = qinghe::read_generator_input(controls);
    input.writer.typeset = false;
    const double unset_loop = loop_ms(input);
    input.writer.typeset = true;
    const double fitting_loop = loop_ms(input);
    // The same click with and without setting, in turns, through the generate action itself.
    double set_click = 1e300, unset_click = 1e300;
    for (int round = 0; round < 5; ++round) {
        for (const bool typeset : {true, false}) {
            qinghe::RunHooks hooks;
            hooks.typeset = typeset;
            timer.restart();
            qinghe::generate_titles(controls, hooks);
            double& best = typeset ? set_click : unset_click;
            best = std::min(best, ms_of(timer));
            app.processEvents();
        }
    }
    input.writer = {};
    const double plain_loop = loop_ms(input);
    std::printf("100000 headlines, generation alone: plain %.1f ms, keyword + 今日头条 %.1f ms (%.1f ms without "
                "setting)\n",
                plain_loop, fitting_loop, unset_loop);
    std::printf("100000 headlines, keyword + 今日头条, warm click: set for publishing %.1f ms, without setting %.1f ms "
                "(%+.1f%%)\n",
                set_click, unset_click, (set_click / unset_click - 1) * 100);
    // The risk check of the plain run's headlines, in one pass.
    const qinghe::Headlines headlines =
        qinghe::build_headlines(input, [&window] { return window.services().tick_count(); });
    double check = 1e300;
    size_t hits = 0;
    for (int i = 0; i < 5; ++i) {
        timer.restart();
        hits = checker.check_run(headlines.text, headlines.ends).hits.size();
        check = std::min(check, ms_of(timer));
    }
    std::printf(
        "100000 headlines, risk check: %.1f ms (%.1f%% of the plain click; %zu hits), checker built in %.1f ms\n",
        check, check / plain * 100, hits, built);
    // The whole click with the marks (measured above, in turn with the others): the check,
    // the marks and their tooltips, kept beside the document.
    std::printf("100000 headlines, warm click with 仅标注: %.1f ms (%+.1f%%)\n", marked, (marked / plain - 1) * 100);
    return 0;
}

// 100,000 headlines without repeats from two lists of 50,000 entries, with and without a
// platform's range: best of three, and the longest gap between two pumps.
void no_repeat_figures() {
    qinghe::GeneratorInput input{.punctuation_1 = qinghe::from_utf8("，"), .count = qinghe::kMaxHeadlines};
    for (int i = 0; i < 50'000; ++i) {
        input.prefixes.push_back(qinghe::from_utf8("前缀" + std::to_string(i)));
        input.links.push_back(qinghe::from_utf8("衔接" + std::to_string(i)));
    }
    input.writer.no_repeat = true;
    for (const char* platform : {"不限", "今日头条"}) {
        input.writer.platform = qinghe::find_platform(qinghe::from_utf8(platform));
        double best = 1e300, gap = 0;
        size_t made = 0;
        for (int i = 0; i < 3; ++i) {
            const PumpedRun run = pumped_run(input);
            gap = std::max(gap, run.longest_gap);
            best = std::min(best, run.ms);
            made = run.headlines.ends.size();
        }
        std::printf("no repeats, 2 x 50000 entries, %s: %zu headlines in %.0f ms, longest without pumping %.0f ms\n",
                    platform, made, best, gap);
    }
}

// The built-in lists with their blanks filled, and a fixed sequence of draws.
struct TypesetRun {
    std::array<std::vector<qinghe::FilledPhrase>, 3> phrases;
    std::array<qinghe::Text, 3> punctuation;
    std::vector<std::array<std::uint32_t, 3>> draws;
};

TypesetRun typeset_run(const qinghe::Text& keyword) {
    TypesetRun run;
    const qinghe::Text* lists[] = {&qinghe::builtin_prefix_list(), &qinghe::builtin_link_list(),
                                   &qinghe::builtin_suffix_list()};
    for (size_t p = 0; p < 3; ++p) {
        for (const qinghe::Text& entry : qinghe::split_list(*lists[p], qinghe::kCrLf)) {
            run.phrases[p].push_back(qinghe::fill_and_mark_blanks(entry, keyword));
        }
    }
    run.punctuation = {qinghe::builtin_punctuation_1(), qinghe::builtin_punctuation_2(),
                       qinghe::builtin_punctuation_3()};
    std::mt19937 random(7);
    run.draws.resize(qinghe::kMaxHeadlines);
    for (auto& draw : run.draws) {
        for (size_t p = 0; p < 3; ++p) draw[p] = static_cast<std::uint32_t>(random() % run.phrases[p].size());
    }
    return run;
}

// Composes every headline as the run does, into one buffer; its size.
__attribute__((noinline)) size_t compose_plain(const TypesetRun& run, qinghe::Text& out) {
    out.clear();
    qinghe::Text headline;
    for (const auto& draw : run.draws) {
        headline.clear();
        for (size_t p = 0; p < 3; ++p) headline.append(run.phrases[p][draw[p]].text).append(run.punctuation[p]);
        out.append(headline);
    }
    return out.size();
}

struct SetPieces {
    std::array<std::vector<qinghe::SetPiece>, 3> phrases;
    std::array<qinghe::SetPiece, 3> punctuation;
};

__attribute__((noinline)) SetPieces set_pieces(const TypesetRun& run, qinghe::TypesetMode mode) {
    qinghe::HeadlineMeasure measure;
    SetPieces pieces;
    for (size_t p = 0; p < 3; ++p) {
        for (const qinghe::FilledPhrase& phrase : run.phrases[p]) {
            pieces.phrases[p].push_back(qinghe::set_piece(phrase.text, phrase.keywords, mode, measure));
        }
        pieces.punctuation[p] = qinghe::set_piece(run.punctuation[p], {}, mode, measure);
    }
    return pieces;
}

__attribute__((noinline)) size_t compose_set(const TypesetRun& run, const SetPieces& pieces, qinghe::TypesetMode mode,
                                             qinghe::Text& out) {
    out.clear();
    qinghe::Text headline;
    qinghe::PieceJoiner joiner(mode);
    int characters = 0;
    for (const auto& draw : run.draws) {
        headline.clear();
        const qinghe::SetPiece* order[] = {&pieces.phrases[0][draw[0]], &pieces.punctuation[0],
                                           &pieces.phrases[1][draw[1]], &pieces.punctuation[1],
                                           &pieces.phrases[2][draw[2]], &pieces.punctuation[2]};
        characters += joiner.join(order, headline).characters;
        out.append(headline);
    }
    return out.size() + (characters < 0);
}

__attribute__((noinline)) size_t compose_whole(const TypesetRun& run, qinghe::TypesetMode mode, qinghe::Text& out) {
    out.clear();
    qinghe::Text headline;
    std::vector<qinghe::KeywordSpan> spans;
    for (const auto& draw : run.draws) {
        headline.clear();
        spans.clear();
        for (size_t p = 0; p < 3; ++p) {
            const qinghe::FilledPhrase& phrase = run.phrases[p][draw[p]];
            for (const qinghe::KeywordSpan& span : phrase.keywords) {
                spans.push_back({span.begin + headline.size(), span.end + headline.size()});
            }
            headline.append(phrase.text).append(run.punctuation[p]);
        }
        out.append(qinghe::set_headline(headline, spans, mode));
    }
    return out.size();
}

// Best of five, in milliseconds.
template <class Work>
double best_of_five(Work&& work) {
    double best = 1e300;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, ms_of(timer));
    }
    return best;
}

// 避开用过的标题 over 100,000 used headlines (every headline an earlier run of the same
// lists made, and made-up ones up to 100,000), in a history of its own: the click with
// keyword and 今日头条 with the box ticked and unticked, in turns (the ticked click reads
// the used set), and the generation alone with and without them.
int used_child() {
    qinghe::TempFolder folder;
    bench::Program program;
    QApplication& app = program.app();
    qinghe::WindowWidget& window = program.window();
    qinghe::QtWindow& controls = window.controls();
    window.services().set_settings_folder(folder.path());
    QAbstractButton* button = ready_to_generate(program, "100000");
    controls.set_content(qinghe::name::keyword_box, qinghe::from_utf8(kFitting.keyword));
    controls.set_content(qinghe::name::platform_choice, qinghe::from_utf8(kFitting.platform));
    qinghe::GeneratorInput input = qinghe::read_generator_input(controls);
    {
        qinghe::History& history = window.history();
        qinghe::sql::Transaction all(*history.database());
        const qinghe::Headlines earlier = qinghe::build_headlines(input, [] { return 99u; });
        const std::vector<qinghe::HeadlineRow> rows = used_rows(earlier, 100'000, std::chrono::system_clock::now());
        if (!qinghe::HeadlineStore(*history.database()).restore(rows).ok() || !all.commit().ok()) return 1;
    }
    button->click();  // the cold click
    app.processEvents();
    double ticked = 1e300, unticked = 1e300;
    for (int round = 0; round < 5; ++round) {
        for (const bool avoid : {true, false}) {
            controls.set_checked(qinghe::name::avoid_used_check, avoid);
            QElapsedTimer timer;
            timer.start();
            button->click();
            double& best = avoid ? ticked : unticked;
            best = std::min(best, ms_of(timer));
            app.processEvents();
        }
    }
    controls.set_checked(qinghe::name::avoid_used_check, true);
    button->click();
    const std::string status =
        qinghe::to_utf8(qinghe::split_list(controls.content(qinghe::name::status_label), qinghe::kCrLf).front());
    // The generation alone, with the used set read once beforehand.
    const auto used = std::make_shared<const qinghe::UsedHeadlines>(window.history().used_headlines().value);
    double with = 1e300, without = 1e300;
    for (int round = 0; round < 5; ++round) {
        for (const bool avoid : {true, false}) {
            input.writer.used = {};
            if (avoid) input.writer.used = [&used](qinghe::TextView headline) { return used->contains(headline); };
            QElapsedTimer timer;
            timer.start();
            qinghe::build_headlines(input, [&window] { return window.services().tick_count(); });
            double& best = avoid ? with : without;
            best = std::min(best, ms_of(timer));
        }
    }
    std::printf(
        "避开用过的标题, %zu used headlines, 100000 headlines with keyword + 今日头条: warm click %.1f ms ticked, "
        "%.1f ms unticked (%+.1f%%); generation alone %.1f ms, %.1f ms without (%s)\n",
        used->size(), ticked, unticked, (ticked / unticked - 1) * 100, with, without, status.c_str());
    return 0;
}

// One run of 100,000 headlines, keyword 新能源车 and 今日头条, with or without setting.
int one_run(bool typeset) {
    qinghe::GeneratorInput input{.prefixes = qinghe::split_list(qinghe::builtin_prefix_list(), qinghe::kCrLf),
                                 .links = qinghe::split_list(qinghe::builtin_link_list(), qinghe::kCrLf),
                                 .suffixes = qinghe::split_list(qinghe::builtin_suffix_list(), qinghe::kCrLf),
                                 .punctuation_1 = qinghe::builtin_punctuation_1(),
                                 .punctuation_2 = qinghe::builtin_punctuation_2(),
                                 .punctuation_3 = qinghe::builtin_punctuation_3(),
                                 .suffix_mode = true,
                                 .count = qinghe::kMaxHeadlines};
    input.writer.keywords = {qinghe::from_utf8("新能源车")};
    input.writer.platform = qinghe::find_platform(qinghe::from_utf8("今日头条"));
    input.writer.typeset = typeset;
    std::uint32_t tick = 0;
    const qinghe::Headlines headlines = qinghe::build_headlines(input, [&tick] { return tick += 7; });
    std::printf("%zu headlines, %s\n", headlines.ends.size(), typeset ? "set" : "not set");
    return headlines.ends.size() == qinghe::kMaxHeadlines ? 0 : 1;
}

int typesetting_figures() {
    QElapsedTimer timer;
    timer.start();
    qinghe::set_headline(qinghe::from_utf8("新"), {}, {.house_style = true});
    const double table = ms_of(timer);
    const TypesetRun run = typeset_run(qinghe::from_utf8("新能源车"));
    const qinghe::TypesetMode mode{.keyword_edges = true, .house_style = true};
    qinghe::Text plain_text, set_text, whole_text;
    SetPieces pieces;
    const double plain = best_of_five([&] { compose_plain(run, plain_text); });
    const double setting = best_of_five([&] { pieces = set_pieces(run, mode); });
    const double joined = best_of_five([&] { compose_set(run, pieces, mode, set_text); });
    const double whole = best_of_five([&] { compose_whole(run, mode, whole_text); });
    if (set_text != whole_text) return 1;
    std::printf(
        "typesetting 100000 headlines (built-in lists, 新能源车, platform): composed plain %.1f ms, set %.1f ms "
        "(%+.1f ms; phrases set once %.2f ms, kinds table %.2f ms), each set whole %.1f ms\n",
        plain, joined, joined - plain, setting, table, whole);
    return 0;
}

// 1,000 headlines within 今日头条's range from three lists of 50,000 entries without a
// blank and `keywords` keywords: the run's time, the longest it goes without pumping, and
// the memory it adds at its peak.
int keywords_child(int keywords) {
    qinghe::GeneratorInput input{.punctuation_1 = qinghe::from_utf8("，"), .suffix_mode = true, .count = 1000};
    for (int i = 0; i < 50'000; ++i) {
        input.prefixes.push_back(qinghe::from_utf8("前缀" + std::to_string(i)));
        input.links.push_back(qinghe::from_utf8("衔接" + std::to_string(i)));
        input.suffixes.push_back(qinghe::from_utf8("后缀" + std::to_string(i)));
    }
    for (int k = 0; k < keywords; ++k) input.writer.keywords.push_back(qinghe::from_utf8("词" + std::to_string(k)));
    input.writer.platform = qinghe::find_platform(qinghe::from_utf8("今日头条"));
    const long rss_before = bench::status_kb("VmRSS:");
    const PumpedRun run = pumped_run(input);
    const long peak_added = bench::status_kb("VmHWM:") - rss_before;
    std::printf("3 x 50000 entries, %d keywords, 今日头条: %zu headlines in %.0f ms, longest without pumping %.0f ms, "
                "%.1f MB added at the peak\n",
                keywords, run.headlines.ends.size(), run.ms, run.longest_gap, peak_added / 1024.0);
    return 0;
}

// Runs this program again with `option` and `value` and waits for it; false when it failed.
bool run_child(const char* program, const char* option, const char* value) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program, program, option, value, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::string(argv[1]) == "--child") return child(argv[2]);
    if (argc == 2 && std::string(argv[1]) == "--fitting") return fitting_child();
    if (argc == 2 && std::string(argv[1]) == "--used") return used_child();
    if (argc == 2 && std::string(argv[1]) == "--typesetting") return typesetting_figures();
    if (argc == 3 && std::string(argv[1]) == "--run") return one_run(std::string(argv[2]) == "set");
    if (argc == 3 && std::string(argv[1]) == "--keywords") return keywords_child(std::atoi(argv[2]));
    bench::use_own_runtime_folder();  // the children inherit it
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::printf("generate, click to clipboard (offscreen)\n");
    std::printf("%9s %10s %10s %10s %9s %10s\n", "headlines", "cold ms", "warm ms", "loop ms", "warm/loop", "peak +MB");
    std::fflush(stdout);
    for (const char* count : {"10", "1000", "100000"}) {
        const pid_t pid = fork();
        if (pid == 0) {
            execl(argv[0], argv[0], "--child", count, static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
    }
    std::printf("goals: 100000 under 500 ms and 120 MB; 10 under 5 ms\n");
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        execl(argv[0], argv[0], "--fitting", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
    std::printf("goals: fitting costs at most 10%% more, setting at most 5%% more than the same click without it; the "
                "risk check at most 10%% of the plain click, and the click with 仅标注 at most 10%% more\n");
    if (!run_child(argv[0], "--used", nullptr)) return 1;
    std::printf("goal: 避开用过的标题 adds at most 10%% to the click\n");
    no_repeat_figures();
    for (const char* keywords : {"100", "300"}) {
        if (!run_child(argv[0], "--keywords", keywords)) return 1;
    }
    std::printf("goal: the window answers at least every 50 ms\n");
    if (typesetting_figures() != 0) return 1;
    std::printf("goal: setting adds at most 5%% to the writer's run of 100000 headlines\n");
    return 0;
}
