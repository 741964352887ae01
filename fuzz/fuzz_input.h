#pragma once
// Cuts one fuzz input into the arguments of a call: flags, small numbers and texts.
// Texts come from the end of the input, each prefixed by a one-byte length, so that a
// mutated length byte shifts one argument rather than all of them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace qinghe::fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    bool flag() { return (byte() & 1) != 0; }
    // A number from 0 to `limit`.
    unsigned number(unsigned limit) { return limit == 0 ? 0 : byte() % (limit + 1); }
    // A text of up to 255 bytes.
    std::string text() {
        const std::size_t length = std::min<std::size_t>(byte(), rest_.size());
        std::string out(rest_.substr(0, length));
        rest_.remove_prefix(length);
        return out;
    }
    // Whatever is left.
    std::string rest() {
        std::string out(rest_);
        rest_ = {};
        return out;
    }

private:
    unsigned byte() {
        if (rest_.empty()) return 0;
        const auto value = static_cast<unsigned char>(rest_.front());
        rest_.remove_prefix(1);
        return value;
    }

    std::string_view rest_;
};

// A broken property stops the run like a crash, so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

}  // namespace qinghe::fuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::qinghe::fuzz::fail(#condition, __FILE__, __LINE__))
