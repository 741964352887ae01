#pragma once
// Figures of this process from /proc/self/status, for the benchmarks' memory columns.
#include <cstdlib>
#include <fstream>
#include <string>

namespace bench {

// A field in kB, such as "VmRSS:" (resident now) or "VmHWM:" (resident at the peak); 0
// when the field is missing.
inline long status_kb(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
    }
    return 0;
}

}  // namespace bench
