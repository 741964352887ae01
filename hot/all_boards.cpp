#include "hot/all_boards.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "hot/topic_cache.h"
#include "text/codec.h"
#include "web/curl_library.h"

namespace qinghe {
namespace {

using std::chrono::system_clock;

// How long the calling thread waits for a board between two rounds of the window's events.
constexpr auto kPumpInterval = std::chrono::milliseconds(10);

// What the calling thread and the boards' threads share.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    size_t done = 0;
    std::atomic<bool> stop{false};
};

// The services a board's thread sees: the caller's addresses (asked one thread at a time),
// its settings folder and connect-to entries (copied before the threads start), no events
// to handle (the calling thread handles them) and a stop that the calling thread sets.
// Nothing here touches the window.
class BoardThreadServices final : public RuntimeServices {
public:
    BoardThreadServices(const RuntimeServices& caller, std::mutex& address_lock, const std::atomic<bool>& stop)
            : caller_(caller),
              address_lock_(address_lock),
              stop_(stop),
              folder_(caller.settings_folder()),
              connect_to_(caller.connect_to()) {}

    std::uint32_t tick_count() const override {
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count());
    }
    std::filesystem::path settings_folder() const override { return folder_; }
    // A board's fetch reports nothing itself; should it, the line is kept for the caller.
    void report_problem(TextView line) override { problems.emplace_back(line); }
    Text address_for(TextView address) const override {
        const std::lock_guard lock(address_lock_);
        return caller_.address_for(address);
    }
    std::vector<Text> connect_to() const override { return connect_to_; }
    void process_pending_messages() override {}
    void open_address(TextView) override {}
    bool cancelled() const override { return stop_.load(); }

    std::vector<Text> problems;

private:
    const RuntimeServices& caller_;
    std::mutex& address_lock_;
    const std::atomic<bool>& stop_;
    std::filesystem::path folder_;
    std::vector<Text> connect_to_;
};

// A board's fetch as its thread runs it: what it gave and when it was done.
struct BoardRun {
    HotTopicsFetch fetch;
    system_clock::time_point done;
};

}  // namespace

AllBoardsFetch fetch_all_boards(RuntimeServices& services, const BoardProgress& progress) {
    const std::span<const HotBoard> boards = hot_boards();
    // libcurl's global set-up is made once, here, before any thread asks for it.
    curl_library();
    Shared shared;
    std::mutex address_lock;
    std::vector<std::optional<BoardThreadServices>> thread_services(boards.size());
    std::vector<BoardRun> runs(boards.size());
    std::vector<std::thread> threads;
    threads.reserve(boards.size());
    for (size_t i = 0; i < boards.size(); ++i) {
        thread_services[i].emplace(services, address_lock, shared.stop);
        const auto run = [&, i] {
            HotTopicsFetch fetch;
            try {
                fetch = boards[i].fetch(*thread_services[i]);
            } catch (...) {
                // A board's fetch keeps its own failures; only memory running out while it
                // says so could reach here, and a thread must let nothing out.
                fetch.reason = from_utf8("内存不足，页面未能读完");
            }
            const std::lock_guard lock(shared.mutex);
            runs[i] = {std::move(fetch), system_clock::now()};
            ++shared.done;
            shared.changed.notify_all();
        };
        try {
            threads.emplace_back(run);
        } catch (const std::exception&) {
            // No thread to be had: this board is fetched here, the others meanwhile.
            run();
        }
    }

    size_t reported = 0;
    if (progress) progress(0, boards.size());
    for (;;) {
        services.process_pending_messages();
        if (services.cancelled()) shared.stop = true;
        std::unique_lock lock(shared.mutex);
        shared.changed.wait_for(lock, kPumpInterval, [&] { return shared.done != reported; });
        const size_t done = shared.done;
        lock.unlock();
        if (done != reported && progress) progress(done, boards.size());
        reported = done;
        if (done == boards.size()) break;
    }
    for (std::thread& thread : threads) thread.join();

    AllBoardsFetch result{.cancelled = shared.stop.load() || services.cancelled()};
    const std::filesystem::path folder = services.settings_folder();
    for (size_t i = 0; i < boards.size(); ++i) {
        for (const Text& line : thread_services[i]->problems) services.report_problem(line);
        BoardRun& run = runs[i];
        BoardTopics& board = result.boards.emplace_back(BoardTopics{.board = &boards[i]});
        if (!run.fetch.entries.empty()) {
            board.entries = std::move(run.fetch.entries);
            board.fetched = run.done;
            if (result.cancelled) continue;
            const Text problem = store_topics(folder, board.board->key, titles_of(board.entries), run.done);
            if (!problem.empty()) services.report_problem(problem);
            continue;
        }
        board.address = std::move(run.fetch.address);
        board.reason = std::move(run.fetch.reason);
        if (result.cancelled) continue;
        services.report_problem(board.address + ": " + board.reason);
        if (std::optional<CachedTopics> cached = load_topics(folder, board.board->key)) {
            board.entries = ranked(std::move(cached->titles));
            board.fetched = cached->fetched;
            board.from_cache = true;
        }
    }
    return result;
}

std::vector<RankedBoard> ranked_boards(const AllBoardsFetch& fetch) {
    std::vector<RankedBoard> out;
    for (const BoardTopics& board : fetch.boards) {
        if (!board.entries.empty()) out.push_back({board.board->key, board.entries});
    }
    return out;
}

}  // namespace qinghe
