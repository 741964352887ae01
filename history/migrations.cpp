#include "history/migrations.h"

#include <iterator>
#include <string>

namespace qinghe {
namespace {

using Migration = sql::Status (*)(sql::Connection&);

// Migration n is kMigrations[n - 1]. Never change one that has shipped: add the next.
constexpr Migration kMigrations[] = {migrate_to_1_boards, migrate_to_2_headlines};
static_assert(std::size(kMigrations) == kSchemaVersion);

}  // namespace

sql::Status migrate(sql::Connection& db, int target) {
    const int version = db.user_version();
    if (version < 0) return db.status();
    for (int next = version + 1; next <= target && next <= kSchemaVersion; ++next) {
        sql::Transaction transaction(db);
        if (!transaction.ok()) return transaction.status();
        sql::Status status = kMigrations[next - 1](db);
        if (status.ok()) status = db.execute("PRAGMA user_version = " + std::to_string(next));
        if (status.ok()) status = transaction.commit();
        if (!status.ok()) return status;
    }
    return {};
}

}  // namespace qinghe
