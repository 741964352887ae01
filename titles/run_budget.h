#pragma once
// What the writer's run may spend: the window's turns to handle its events, and the
// headlines it may compose and check while it searches. Private to the writer's run.
#include <chrono>
#include <cstddef>
#include <functional>

#include "titles/vector_registers.h"

namespace qinghe {

// Calls the window's pump once at least every 20 ms of work, asked at every step.
class Pacer {
public:
    explicit Pacer(const std::function<void()>& pump) : pump_(pump), last_(std::chrono::steady_clock::now()) {}
    void step() {
        if (!pump_ || ++steps_ % 256 != 0) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(20)) return;
        pump_();
        clear_upper_vector_halves();  // the window may have painted the result box meanwhile
        last_ = std::chrono::steady_clock::now();
    }

private:
    const std::function<void()>& pump_;
    std::chrono::steady_clock::time_point last_;
    unsigned steps_ = 0;
};

// Headlines a search may compose and check; each one is also a step of the pacer.
class SearchBudget {
public:
    SearchBudget(size_t limit, Pacer& pacer) : limit_(limit), pacer_(pacer) {}
    // Counts one headline; false, and from then on spent(), once the limit is reached.
    bool spend() {
        if (used_ >= limit_) return spent_ = true, false;
        ++used_;
        pacer_.step();
        return true;
    }
    bool spent() const { return spent_; }
    size_t used() const { return used_; }

private:
    size_t limit_, used_ = 0;
    bool spent_ = false;
    Pacer& pacer_;
};

}  // namespace qinghe
