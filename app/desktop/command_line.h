#pragma once
// The program's command line: --help and --version, and Qt's own options passed through.
#include <string>

namespace qinghe {

struct CommandLine {
    bool run = true;    // false: exit at once with exit_code
    int exit_code = 0;  // 0 after --help or --version, 2 after a usage error
    std::string out;    // for standard output (UTF-8)
    std::string err;    // for standard error (UTF-8)
};

// Parses argv before any application object exists, so that --help and --version work
// without a display. Qt's own options (-platform, -style, -session, ...) are accepted and
// left in argv for QApplication.
CommandLine parse_command_line(int argc, const char* const argv[]);

}  // namespace qinghe
