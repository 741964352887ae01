#include "history/compared_form.h"

#include <unicode/uchar.h>

#include <array>
#include <memory>
#include <vector>

#include "text/codec.h"

namespace qinghe {
namespace {

// What the comparison makes of one character.
struct Reading {
    bool space = false;  // dropped
    bool end_punctuation = false;
    char ascii = 0;  // a full-width form's ASCII character; 0 when it stays as it is
};

Reading reading_of(UChar32 c) {
    Reading reading;
    reading.space = u_isUWhiteSpace(c);
    if (c >= 0xFF01 && c <= 0xFF5E) {
        reading.ascii = static_cast<char>(c - 0xFEE0);
        c -= 0xFEE0;
    }
    reading.end_punctuation = u_ispunct(c) || c == '~';
    return reading;
}

// Every single byte and every two-byte GB18030 character read once, through ICU, in one
// conversion; four-byte ones are rare and are read as they come.
class Readings {
public:
    Readings() {
        for (int byte = 0; byte < 0x80; ++byte) single_[static_cast<size_t>(byte)] = reading_of(byte);
        Text all;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                all += static_cast<char>(lead);
                all += static_cast<char>(trail);
            }
        }
        std::vector<size_t> offsets;
        const std::u16string units = decode(all, offsets);
        double_ = std::make_unique<std::array<Reading, 0x8000>>();
        for (size_t i = 0; i < units.size(); ++i) {
            // A character that became one unit of its own: its two bytes and nothing else.
            if (offsets[i + 1] != offsets[i] + 2) continue;
            const size_t at = offsets[i];
            (*double_)[index(all[at], all[at + 1])] = reading_of(units[i]);
        }
    }

    const Reading& single(char byte) const { return single_[static_cast<unsigned char>(byte)]; }
    const Reading& twofold(char lead, char trail) const { return (*double_)[index(lead, trail)]; }

private:
    static size_t index(char lead, char trail) {
        return (static_cast<size_t>(static_cast<unsigned char>(lead)) - 0x80) << 8 | static_cast<unsigned char>(trail);
    }

    std::array<Reading, 0x80> single_;
    std::unique_ptr<std::array<Reading, 0x8000>> double_;
};

const Readings& readings() {
    static const Readings table;
    return table;
}

Reading four_byte_reading(TextView character) {
    const std::u16string units = decode(character);
    UChar32 c = 0;
    size_t at = 0;
    U16_NEXT(units.data(), at, units.size(), c);
    return at == units.size() ? reading_of(c) : Reading{};
}

// Calls `emit` with each piece of the compared form and `end_punctuation` whether that
// piece is punctuation that would be dropped if nothing else followed.
template <class Emit>
void read_compared(TextView headline, const Emit& emit) {
    const Readings& table = readings();
    for (size_t at = 0; at < headline.size();) {
        const size_t length = character_length(headline, at);
        const TextView character = headline.substr(at, length);
        at += length;
        Reading reading;
        if (length == 1 && !is_lead_byte(character[0])) {
            reading = table.single(character[0]);
        } else if (length == 2) {
            reading = table.twofold(character[0], character[1]);
        } else if (length == 4) {
            reading = four_byte_reading(character);
        }
        if (reading.space) continue;
        emit(reading.ascii ? TextView(&reading.ascii, 1) : character, reading.end_punctuation);
    }
}

constexpr std::uint64_t kFnvStart = 0xcbf29ce484222325u;

std::uint64_t fnv(std::uint64_t hash, char byte) { return (hash ^ static_cast<unsigned char>(byte)) * 0x100000001b3u; }

std::uint64_t fnv(std::uint64_t hash, TextView bytes) {
    for (const char c : bytes) hash = fnv(hash, c);
    return hash;
}

// The finaliser of splitmix64, so that every bit depends on every byte.
std::uint64_t mixed(std::uint64_t hash) {
    hash ^= hash >> 30;
    hash *= 0xbf58476d1ce4e5b9u;
    hash ^= hash >> 27;
    hash *= 0x94d049bb133111ebu;
    hash ^= hash >> 31;
    return hash;
}

}  // namespace

Text compared_form(TextView headline) {
    Text out;
    out.reserve(headline.size());
    size_t kept = 0;  // the length of `out` up to its last piece that is not end punctuation
    read_compared(headline, [&](TextView piece, bool end_punctuation) {
        out += piece;
        if (!end_punctuation) kept = out.size();
    });
    out.resize(kept);
    return out;
}

std::uint64_t compared_hash(TextView compared) { return mixed(fnv(kFnvStart, compared)); }

std::uint64_t headline_hash(TextView headline) {
    // The hash of the compared form without making it: the state after the last piece
    // that is not end punctuation is the one that counts. A run asks it of every headline
    // it makes, so single bytes and two-byte characters, nearly all of them, are read
    // straight from the tables; the rest as read_compared reads them.
    const Readings& table = readings();
    std::uint64_t running = kFnvStart;
    std::uint64_t kept = kFnvStart;
    const size_t size = headline.size();
    for (size_t at = 0; at < size;) {
        const char c = headline[at];
        const bool two_bytes = is_lead_byte(c) && at + 1 < size && (headline[at + 1] < '0' || headline[at + 1] > '9');
        if (!is_lead_byte(c) || two_bytes) {
            const Reading& reading = two_bytes ? table.twofold(c, headline[at + 1]) : table.single(c);
            const size_t length = two_bytes ? 2 : 1;
            if (!reading.space) {
                if (reading.ascii) {
                    running = fnv(running, reading.ascii);
                } else {
                    running = fnv(running, c);
                    if (two_bytes) running = fnv(running, headline[at + 1]);
                }
                if (!reading.end_punctuation) kept = running;
            }
            at += length;
            continue;
        }
        const size_t length = character_length(headline, at);
        read_compared(headline.substr(at, length), [&](TextView piece, bool end_punctuation) {
            running = fnv(running, piece);
            if (!end_punctuation) kept = running;
        });
        at += length;
    }
    return mixed(kept);
}

}  // namespace qinghe
