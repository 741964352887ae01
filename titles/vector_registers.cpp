#include "titles/vector_registers.h"

namespace qinghe {

void clear_upper_vector_halves() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx = __builtin_cpu_supports("avx");
    // No AVX value is live here: the program is built for SSE only.
    if (avx) asm volatile("vzeroupper" ::: "memory");
#endif
}

}  // namespace qinghe
