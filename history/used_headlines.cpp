#include "history/used_headlines.h"

#include <algorithm>

#include "history/compared_form.h"
#include "history/headline_store.h"

namespace qinghe {

sql::Status UsedHeadlines::load(std::shared_ptr<sql::Connection> db, UsedHeadlines& out) {
    out = UsedHeadlines();
    std::vector<std::uint64_t> hashes;
    if (sql::Status status = HeadlineStore(*db).compared_hashes(hashes); !status.ok()) return status;
    size_t capacity = 16;
    while (capacity < hashes.size() * 2) capacity *= 2;
    out.slots_.assign(capacity, 0);
    const size_t mask = capacity - 1;
    for (const std::uint64_t hash : hashes) {
        if (hash == 0) {
            out.has_zero_ = true;
            continue;
        }
        size_t slot = hash & mask;
        while (out.slots_[slot] != 0 && out.slots_[slot] != hash) slot = (slot + 1) & mask;
        out.slots_[slot] = hash;
    }
    out.size_ = hashes.size();
    out.db_ = std::move(db);
    return {};
}

bool UsedHeadlines::has_hash(std::uint64_t hash) const {
    if (hash == 0) return has_zero_;
    if (slots_.empty()) return false;
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        if (slots_[slot] == hash) return true;
    }
    return false;
}

bool UsedHeadlines::contains(TextView headline) const {
    const std::uint64_t hash = headline_hash(headline);
    if (!has_hash(hash)) return false;
    auto found = confirmed_.find(hash);
    if (found == confirmed_.end()) {
        std::vector<Text> texts;
        if (!db_ || !HeadlineStore(*db_).texts_with_hash(hash, texts).ok()) return true;
        for (Text& text : texts) text = compared_form(text);
        found = confirmed_.emplace(hash, std::move(texts)).first;
    }
    const Text compared = compared_form(headline);
    return std::find(found->second.begin(), found->second.end(), compared) != found->second.end();
}

}  // namespace qinghe
