#pragma once
// Benchmarks run with a private runtime folder of their own, as the tests do, so that Qt
// has nothing to warn about (it wants one owned by the user with mode 0700) and nothing of
// the desktop's own runtime folder is touched.
#include <sys/stat.h>

#include <cstdlib>

namespace bench {

inline void use_own_runtime_folder() {
    mkdir(QINGHE_BENCH_RUNTIME_DIR, 0700);
    chmod(QINGHE_BENCH_RUNTIME_DIR, 0700);
    setenv("XDG_RUNTIME_DIR", QINGHE_BENCH_RUNTIME_DIR, 1);
}

}  // namespace bench
