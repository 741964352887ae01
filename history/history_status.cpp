#include "history/history_status.h"

#include <string>

#include "text/codec.h"

namespace qinghe {

Text state_notice(HistoryState state, const std::filesystem::path& moved_to) {
    switch (state) {
        case HistoryState::on_disk:
        case HistoryState::not_kept: return {};
        case HistoryState::fresh: return from_utf8("历史记录损坏，已移到 " + moved_to.filename().string() + "，已新建");
        case HistoryState::in_memory: return from_utf8("设置文件夹无法写入，历史记录只保留到本次退出");
        case HistoryState::locked: return from_utf8("历史记录被其他程序占用，本次不记录历史");
        case HistoryState::read_only: return from_utf8("历史记录来自更新版本的青禾，只读打开");
    }
    return {};
}

HistoryResult failed_call(HistoryFailure failure, const sql::Status& status, bool writing) {
    std::string why;
    switch (failure) {
        case HistoryFailure::none: return {};
        case HistoryFailure::no_history: why = "本次没有历史记录"; break;
        case HistoryFailure::read_only: why = "历史记录只读"; break;
        case HistoryFailure::full: why = "磁盘已满"; break;
        case HistoryFailure::busy: why = "文件被其他程序占用"; break;
        case HistoryFailure::broken: why = "文件损坏"; break;
        case HistoryFailure::other: why = "错误 " + std::to_string(status.code()); break;
    }
    return {failure, from_utf8((writing ? "历史记录未能写入：" : "历史记录未能读取：") + why)};
}

HistoryFailure failure_of(const sql::Status& status) {
    switch (status.failure()) {
        case sql::Failure::none: return HistoryFailure::none;
        case sql::Failure::busy: return HistoryFailure::busy;
        case sql::Failure::full: return HistoryFailure::full;
        case sql::Failure::read_only:
        case sql::Failure::cant_open: return HistoryFailure::read_only;
        case sql::Failure::corrupt: return HistoryFailure::broken;
        case sql::Failure::other: return HistoryFailure::other;
    }
    return HistoryFailure::other;
}

}  // namespace qinghe
