// Launch to first frame and idle memory: the program's window against a bare Qt window
// holding the same 45 widget kinds (a program of its own that links Qt alone), measured
// in the same run, offscreen. Then the instructions each executes from launch to its
// first frame, counted by valgrind's callgrind: unlike the time, a figure that a busy
// machine does not change.
//   bench_startup [runs]
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/first_frame.h"
#include "bench/program.h"
#include "bench/runtime_folder.h"

namespace {

// The program's own window, as main() builds it.
int real_child(long long launched_ns) {
    bench::Program program;
    bench::FirstFrame first_frame(program.window(), launched_ns);
    program.window().show();
    return program.app().exec();
}

struct Sample {
    double ms;
    long kb;
};

// Runs `program` with `arguments` followed by the launch time, reads its one line.
Sample launch(const std::string& program, std::vector<std::string> arguments) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) std::exit(1);
    arguments.insert(arguments.begin(), program);
    arguments.push_back(std::to_string(bench::now_ns()));
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipe_fds[1], STDOUT_FILENO);
        close(pipe_fds[0]);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(pipe_fds[1]);
    char buffer[128] = {};
    const ssize_t got = read(pipe_fds[0], buffer, sizeof buffer - 1);
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Sample sample{};
    if (got <= 0 || std::sscanf(buffer, "%lf %ld", &sample.ms, &sample.kb) != 2) {
        std::fprintf(stderr, "%s failed\n", program.c_str());
        std::exit(1);
    }
    return sample;
}

// The instructions `program` runs under callgrind until it exits after its first frame;
// none when valgrind is missing or the run fails.
std::optional<double> instructions(const std::string& program, std::vector<std::string> arguments) {
    const std::string out = std::string(QINGHE_BENCH_RUNTIME_DIR) + "/callgrind.out";
    arguments.insert(arguments.begin(), {"valgrind", "--tool=callgrind", "--callgrind-out-file=" + out, program});
    arguments.push_back("0");  // the launch time, unused here
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp("valgrind", argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    std::ifstream file(out);
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("totals: ", 0) == 0) return std::atof(line.c_str() + 8);
    }
    return std::nullopt;
}

template <class T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::string(argv[1]) == "--child") return real_child(std::atoll(argv[2]));
    bench::use_own_runtime_folder();  // the children inherit it
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    std::vector<double> real_ms, bare_ms;
    std::vector<long> real_kb, bare_kb;
    const std::string self = argv[0];
    const std::string bare_program = self.substr(0, self.rfind('/') + 1) + "bench_bare_window";
    launch(self, {"--child"});  // warm the file cache
    launch(bare_program, {});
    for (int i = 0; i < runs; ++i) {
        const Sample bare = launch(bare_program, {});
        const Sample real = launch(self, {"--child"});
        bare_ms.push_back(bare.ms), bare_kb.push_back(bare.kb);
        real_ms.push_back(real.ms), real_kb.push_back(real.kb);
    }
    const double rm = median(real_ms), bm = median(bare_ms);
    const double rk = median(real_kb) / 1024.0, bk = median(bare_kb) / 1024.0;
    std::printf("start-up, launch to first frame (offscreen), median of %d runs\n", runs);
    std::printf("  bare window, 45 widgets: %7.1f ms  %6.1f MB\n", bm, bk);
    std::printf("  qinghe                 : %7.1f ms  %6.1f MB\n", rm, rk);
    std::printf("  ratio (goal <= 1.2)    : %7.2f x   %6.2f x\n", rm / bm, rk / bk);

    const std::optional<double> bare_count = instructions(bare_program, {});
    const std::optional<double> real_count = instructions(self, {"--child"});
    if (!bare_count || !real_count) {
        std::printf("instructions to the first frame: skipped, valgrind is missing or failed"
                    " (scripts/install-deps.sh --bench installs it)\n");
        return 0;
    }
    std::printf("instructions, launch to first frame (callgrind, offscreen)\n");
    std::printf("  bare window, 45 widgets: %7.1f M\n", *bare_count / 1e6);
    std::printf("  qinghe                 : %7.1f M\n", *real_count / 1e6);
    std::printf("  ratio                  : %7.2f x\n", *real_count / *bare_count);
    return 0;
}
