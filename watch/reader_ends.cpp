#include "watch/reader_ends.h"

namespace kumoden {
namespace {

// Causes of reader failures start so; a reader that ends well clears them.
const std::string kFailedReader = "reader-ended:";
// Readers whose end is not followed any more; clears once none runs.
const std::string kUnfollowed = "reader-unfollowed";

} // namespace

std::string ReaderFailureReason(const TaskEnd& end)
{
    if (!end.lastError.empty()) {
        return end.lastError;
    }
    return end.signal != 0 ? "シグナル " + std::to_string(end.signal)
                           : "終了コード " + std::to_string(end.exitCode);
}

void ReaderEnds::started(const WatchCycleResult& result, const FileCheckInfo& info)
{
    for (const FileResult& file : result.files) {
        if (file.outcome == FileOutcome::Printed && file.task != 0) {
            m_running[file.task] = {ArchivedPath(result.watchedPath, file.name), info.PrinterNm};
        }
    }
}

void ReaderEnds::report(const std::vector<TaskEnd>& ends, Notices& notices)
{
    for (const TaskEnd& end : ends) {
        const auto job = m_running.find(end.task);
        if (job == m_running.end()) {
            continue;
        }
        const std::string about = job->second.file + ", プリンター「" + job->second.printer + "」";
        m_running.erase(job);
        if (end.unfollowed) {
            const std::string text =
                "同時に動いている印刷プログラムが多すぎるため、終了を見届けません: " + about;
            if (!notices.fail(kUnfollowed, text)) {
                notices.record(text);
            }
            continue;
        }
        if (!end.failed()) {
            notices.record("印刷プログラムが終了: " + about);
            notices.clearStartingWith(kFailedReader);
            continue;
        }
        const std::string reason = ReaderFailureReason(end);
        const std::string text = "印刷プログラムがエラーで終了しました: " + reason + " (" + about + ")";
        if (!notices.fail(kFailedReader + reason, text)) {
            notices.record(text);
        }
    }
    if (m_running.empty()) {
        notices.clear(kUnfollowed);
    }
}

} // namespace kumoden
