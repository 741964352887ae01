// Hostile board pages at the body cap (64 MiB) fetched over loopback and read by the
// boards' readers: deeply nested JSON, a flat array of millions of values, one huge
// title, the largest strings the bounds let through, and Baidu's page (UTF-8 and GBK)
// with nested board data.
// For each: the whole fetch's time, the longest gap between two calls of the message
// hook (how long the window would freeze) and the memory it adds at its peak. Each case
// runs in a process of its own so that the peaks do not mix; the server runs in another.
// Then six boards' titles merged into topics, real-shaped and hostile.
//   bench_hot [--merge]    (--merge: the merge alone)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "bench/process_status.h"
#include "hot/boards.h"
#include "hot/boards/board_units.h"
#include "hot/topic_merge.h"
#include "tests/support/http_server.h"
#include "text/codec.h"
#include "web/http_request.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kBodyBytes = qinghe::kMaxBodyBytes;

std::string filled(std::string start, const std::string& unit, const std::string& end) {
    start.reserve(kBodyBytes);
    while (start.size() + unit.size() + end.size() <= kBodyBytes) start += unit;
    return start + end;
}

struct Case {
    const char* path;
    const char* board;  // the board whose public address maps to the path
    const char* what;
    std::string (*body)();
};

const Case kCases[] = {
    {"/nested", "weibo", "[[[[... nested", [] { return std::string(kBodyBytes, '['); }},
    {"/flat", "weibo", "[0,0,... flat", [] { return filled("[0", ",0", "]"); }},
    {"/word", "weibo", "one 64 MiB word", [] { return filled(R"({"data":{"realtime":[{"word":")", "x", R"("}]}})"); }},
    {"/strings", "weibo", "1 MiB strings",
     [] {
         return filled(R"({"data":{"realtime":[)",
                       R"({"word":"t","desc":")" + std::string((1u << 20) - 64, 'x') + R"("},)", "{}]}}");
     }},
    {"/baidu-utf8", "baidu", "Baidu page, UTF-8",
     [] { return filled("<meta charset=\"utf-8\"><!--s-data:", "[", "-->"); }},
    {"/baidu-gbk", "baidu", "Baidu page, GBK",
     [] { return filled("<meta charset=\"gbk\"><!--s-data:", "[", "\xc8\xc8-->"); }},
};

// Serves every case, and a small page to load libcurl before measuring, until killed.
[[noreturn]] void serve(int port_pipe) {
    std::map<std::string, std::string> responses;
    for (const Case& c : kCases) responses[c.path] = qinghe::test::response("200 OK", c.body());
    qinghe::test::ScriptedServer server([&](const qinghe::test::ReceivedRequest& r) {
        const auto it = responses.find(r.target);
        return qinghe::test::Script{
            qinghe::test::send(it != responses.end() ? it->second : qinghe::test::response("404 Not Found", "small"))};
    });
    const int port = server.port();
    if (write(port_pipe, &port, sizeof port) != sizeof port) _exit(1);
    for (;;) pause();
}

// Sends each public address of the board to the case's path; measures the hook's gaps.
class BenchServices final : public qinghe::RuntimeServices {
public:
    explicit BenchServices(std::string url) : url_(std::move(url)) {}
    std::uint32_t tick_count() const override { return 0; }
    std::filesystem::path settings_folder() const override { return {}; }
    void report_problem(qinghe::TextView) override {}
    qinghe::Text address_for(qinghe::TextView) const override { return url_; }
    std::vector<qinghe::Text> connect_to() const override { return {}; }
    void process_pending_messages() override {
        const Clock::time_point now = Clock::now();
        longest_ms = std::max(longest_ms, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        ++calls;
    }
    void open_address(qinghe::TextView) override {}

    Clock::time_point last = Clock::now();
    double longest_ms = 0;
    int calls = 0;

private:
    std::string url_;
};

int child(const std::string& base, const Case& c) {
    qinghe::http_request({.url = base + "/small"});
    BenchServices services(base + c.path);
    const long rss_before = bench::status_kb("VmRSS:");
    const Clock::time_point start = services.last = Clock::now();
    const qinghe::HotTopicsFetch fetch = qinghe::find_hot_board(c.board)->fetch(services);
    services.process_pending_messages();  // the stretch from the last call to the return counts as well
    const double total_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double peak_mb = (bench::status_kb("VmHWM:") - rss_before) / 1024.0;
    std::printf("%-20s %-6s %9.0f %12.1f %7d %10.0f %8.2fx %7zu\n", c.what, c.board, total_ms, services.longest_ms,
                services.calls - 1, peak_mb, peak_mb / (kBodyBytes / 1048576.0), fetch.entries.size());
    return 0;
}

// Six boards' titles merged: boards of real-shaped titles (places, people and events
// recombined, so that many pairs share characters), and hostile ones (every title 64
// characters of the same six, so that every pair must be compared in full).
void merge_figures() {
    using namespace qinghe;
    const std::vector<std::string> places = {"泸定", "北京", "上海", "杭州", "日本", "四川", "广州", "深圳"};
    const std::vector<std::string> events = {"地震",     "暴雨",   "地铁故障", "新线开通",
                                             "门票涨价", "演唱会", "发布会",   "夺冠"};
    const std::vector<std::string> words = {"官方通报", "最新消息", "发生", "现场视频", "已致3人受伤", "网友热议", ""};
    const auto board_of = [](size_t count, const std::function<std::string(size_t)>& title) {
        std::vector<HotEntry> entries;
        for (size_t i = 0; i < count; ++i) add_entry(entries, from_utf8(title(i)), {});
        return entries;
    };
    const struct {
        const char* what;
        size_t per_board;
        std::function<std::string(size_t, size_t)> title;  // of board b's i-th entry
    } cases[] = {
        {"real-shaped, 6 x 50", 50,
         [&](size_t b, size_t i) {
             return words[(i + b) % words.size()] + places[(i * 3 + b) % places.size()] +
                    events[(i * 5 + b * 7) % events.size()] + words[(i * 7 + b) % words.size()];
         }},
        {"hostile, 6 x 100", 100,
         [](size_t b, size_t i) {
             std::string title;
             for (size_t k = 0; k < 64; ++k)
                 title += std::string("地震暴雨故障").substr(((k * 7 + i * 3 + b) % 6) * 3, 3);
             return title;
         }},
    };
    std::printf("\nsix boards merged (merge_topics)\n%-22s %9s %7s\n", "boards", "total ms", "topics");
    for (const auto& c : cases) {
        std::vector<std::vector<HotEntry>> lists;
        for (size_t b = 0; b < 6; ++b) lists.push_back(board_of(c.per_board, [&](size_t i) { return c.title(b, i); }));
        std::vector<RankedBoard> boards;
        for (size_t b = 0; b < lists.size(); ++b) boards.push_back({"board" + std::to_string(b), lists[b]});
        const auto start = Clock::now();
        const size_t topics = merge_topics(boards).size();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::printf("%-22s %9.1f %7zu\n", c.what, ms, topics);
    }
}

int run_case(const char* self, const std::string& base, size_t index) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl(self, self, "--child", base.c_str(), std::to_string(index).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::string(argv[1]) == "--child") return child(argv[2], kCases[std::atoi(argv[3])]);
    if (argc == 2 && std::string(argv[1]) == "--merge") {
        merge_figures();
        return 0;
    }
    int port_pipe[2];
    if (pipe(port_pipe) != 0) return 1;
    const pid_t server = fork();
    if (server == 0) serve(port_pipe[1]);
    int port = 0;
    if (read(port_pipe[0], &port, sizeof port) != sizeof port) return 1;
    const std::string base = "http://127.0.0.1:" + std::to_string(port);

    std::printf("hot-topic fetch of a %zu MiB page over loopback, read by the board's reader\n", kBodyBytes >> 20);
    std::printf("%-20s %-6s %9s %12s %7s %10s %9s %7s\n", "page", "board", "total ms", "longest gap", "hooks",
                "peak +MB", "x body", "titles");
    std::fflush(stdout);
    int failed = 0;
    for (size_t i = 0; i < std::size(kCases); ++i) failed |= run_case(argv[0], base, i);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::printf("goals: longest gap under 100 ms; peak under 3x the body\n");
    merge_figures();
    return failed;
}
