// http_request fetching a 64 MiB body over loopback, as it is and with charset=utf-8
// declared (converted), returning the text alone (as the hot-topic fetch asks) and the
// raw bytes as well: the longest gap between two calls of the message hook (how long
// the window would freeze) and the memory the call adds at its peak. Each case runs in
// a process of its own so that the peaks do not mix; the server runs in another.
//   bench_web
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/process_status.h"
#include "tests/support/http_server.h"
#include "web/http_request.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kBodyBytes = qinghe::kMaxBodyBytes;

// A page of mixed Chinese and ASCII text, in UTF-8 or in GB18030.
std::string page(bool utf8) {
    std::string body = utf8 ? "<html><head><meta charset=utf-8></head><body>\n" : "<html><body>\n";
    const std::string line =
        utf8 ? "<a class=\"list-title\">\xE7\x83\xAD\xE7\x82\xB9\xE6\xA0\x87\xE9\xA2\x98 headline</a>\n"
             : "<a class=\"list-title\">\xC8\xC8\xB5\xE3\xB1\xEA\xCC\xE2 headline</a>\n";
    while (body.size() + line.size() <= kBodyBytes) body += line;
    body.append(kBodyBytes - body.size(), ' ');
    return body;
}

// Serves both pages, and a small one to load libcurl before measuring, until killed.
[[noreturn]] void serve(int port_pipe) {
    const std::string plain = qinghe::test::response("200 OK", page(false));
    const std::string utf8 = qinghe::test::response("200 OK", page(true));
    qinghe::test::ScriptedServer server([&](const qinghe::test::ReceivedRequest& r) {
        if (r.target == "/utf8") return qinghe::test::Script{qinghe::test::send(utf8)};
        if (r.target == "/plain") return qinghe::test::Script{qinghe::test::send(plain)};
        return qinghe::test::Script{qinghe::test::send(qinghe::test::response("200 OK", "small"))};
    });
    const int port = server.port();
    if (write(port_pipe, &port, sizeof port) != sizeof port) _exit(1);
    for (;;) pause();
}

int child(const std::string& url, bool want_bytes) {
    qinghe::http_request({.url = url.substr(0, url.rfind('/')) + "/small"});
    Clock::time_point last = Clock::now();
    double longest_ms = 0;
    int calls = 0;
    const auto hook = [&] {
        const Clock::time_point now = Clock::now();
        longest_ms = std::max(longest_ms, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        ++calls;
    };
    qinghe::ByteArray bytes;
    const long rss_before = bench::status_kb("VmRSS:");
    const Clock::time_point start = last = Clock::now();
    const qinghe::Text text =
        qinghe::http_request({.url = url, .response_bytes = want_bytes ? &bytes : nullptr, .process_messages = hook});
    hook();  // the stretch from the last call to the return counts as well
    const double total_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double peak_mb = (bench::status_kb("VmHWM:") - rss_before) / 1024.0;
    const double body_mb = kBodyBytes / 1048576.0;
    std::printf("%-6s %-12s %9.0f %12.1f %7d %10.0f %8.2fx   text %.0f MB\n", url.substr(url.rfind('/') + 1).c_str(),
                want_bytes ? "text, bytes" : "text", total_ms, longest_ms, calls - 1, peak_mb, peak_mb / body_mb,
                text.size() / 1048576.0);
    return text.empty() ? 1 : 0;
}

int run_case(const char* self, const std::string& url, bool want_bytes) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl(self, self, "--child", url.c_str(), want_bytes ? "bytes" : "text", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::string(argv[1]) == "--child") return child(argv[2], std::string(argv[3]) == "bytes");
    int port_pipe[2];
    if (pipe(port_pipe) != 0) return 1;
    const pid_t server = fork();
    if (server == 0) serve(port_pipe[1]);
    int port = 0;
    if (read(port_pipe[0], &port, sizeof port) != sizeof port) return 1;
    const std::string base = "http://127.0.0.1:" + std::to_string(port);

    std::printf("http_request, %zu MiB body over loopback\n", kBodyBytes >> 20);
    std::printf("%-6s %-12s %9s %12s %7s %10s %9s\n", "page", "outputs", "total ms", "longest gap", "hooks", "peak +MB",
                "x body");
    std::fflush(stdout);
    int failed = 0;
    for (const char* path : {"/plain", "/utf8"}) {
        for (bool want_bytes : {false, true}) failed |= run_case(argv[0], base + path, want_bytes);
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::printf("goals: longest gap under 100 ms; peak under 3x the body\n");
    return failed;
}
