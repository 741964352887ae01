#pragma once
// The headlines the writer used or starred, loaded once for a run that must make none of
// them again (避开用过的标题).
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "history/sqlite.h"
#include "text/text.h"

namespace qinghe {

class UsedHeadlines {
public:
    // Holds no headline: contains() is always false.
    UsedHeadlines() = default;

    // The compared hashes of every headline in `db`, which stays open with the set so
    // that a hit can be confirmed against the stored text.
    static sql::Status load(std::shared_ptr<sql::Connection> db, UsedHeadlines& out);

    // Whether the headline (program text) is one of them, compared as compared_form()
    // says. A hash that is found is confirmed against the stored texts with that hash
    // (read once per hash); when they cannot be read, the headline counts as used.
    bool contains(TextView headline) const;
    size_t size() const { return size_; }

private:
    bool has_hash(std::uint64_t hash) const;

    // Open addressing over the hashes themselves, which are mixed well already; a free
    // slot holds 0, and the hash 0 is kept aside.
    std::vector<std::uint64_t> slots_;
    bool has_zero_ = false;
    size_t size_ = 0;
    std::shared_ptr<sql::Connection> db_;
    // The compared forms of the stored texts of each hash met so far.
    mutable std::unordered_map<std::uint64_t, std::vector<Text>> confirmed_;
};

}  // namespace qinghe
