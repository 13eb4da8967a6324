#include "watch/reader_ends.h"

#include "printing/print_outcome.h"
#include "watch/print_command.h"

#include <optional>

namespace kumoden {
namespace {

// Causes of reader failures start so; a reader that ends well clears them.
const std::string kFailedReader = "reader-ended:";
// Files that did not print, by printer and outcome; a file printed on the
// printer clears them.
const std::string kNotPrinted = "not-printed\n";
// Readers whose end is not followed any more; clears once none runs.
const std::string kUnfollowed = "reader-unfollowed";

// What a reader that follows its job told of it; nothing for a reader that
// does not, or that failed before it submitted anything.
std::optional<PrintOutcome> toldOutcome(const TaskEnd& end)
{
    if (end.signal != 0 || !end.lastError.starts_with(kPrintToolPrefix)) {
        return std::nullopt;
    }
    const auto outcome = static_cast<PrintOutcome>(end.exitCode);
    const std::string_view word = PrintOutcomeWord(outcome);
    if (word.empty() || !end.lastError.substr(kPrintToolPrefix.size()).starts_with(word)) {
        return std::nullopt;
    }
    return outcome;
}

// How a file that did not print is told: the heading, and why.
std::string notPrintedText(PrintOutcome outcome, const std::string& about, const std::string& line)
{
    std::string why;
    switch (outcome) {
    case PrintOutcome::held:
        why = "キューに保留されたままです";
        break;
    case PrintOutcome::queueStopped:
        why = "キューが停止しています";
        break;
    case PrintOutcome::failedAtPrinter:
        why = "プリンターでエラーになりました";
        break;
    case PrintOutcome::cancelled:
        why = "ジョブが取り消されました";
        break;
    default:
        return "印刷されたか確かめられません: " + about + "。" + line;
    }
    return "印刷されていません: " + about + "。" + why + ": " + line;
}

} // namespace

std::string ReaderFailureReason(const TaskEnd& end)
{
    if (!end.lastError.empty()) {
        return end.lastError;
    }
    return end.signal != 0 ? "シグナル " + std::to_string(end.signal)
                           : "終了コード " + std::to_string(end.exitCode);
}

void ReaderEnds::started(const std::string& watchedPath, const FileResult& file, const FileCheckInfo& info)
{
    if (file.outcome == FileOutcome::Printed && file.task != 0) {
        m_running[file.task] = {ArchivedPath(watchedPath, file.name), info.PrinterNm,
                                IsSumatraReader(info.AcrExeDir)};
    }
}

void ReaderEnds::started(const WatchCycleResult& result, const FileCheckInfo& info)
{
    for (const FileResult& file : result.files) {
        started(result.watchedPath, file, info);
    }
}

std::set<std::string> ReaderEnds::files() const
{
    std::set<std::string> files;
    for (const auto& entry : m_running) {
        files.insert(entry.second.file);
    }
    return files;
}

void ReaderEnds::report(const std::vector<TaskEnd>& ends, Notices& notices)
{
    for (const TaskEnd& end : ends) {
        const auto job = m_running.find(end.task);
        if (job == m_running.end()) {
            continue;
        }
        reportEnd(job->second, end, notices);
        m_running.erase(job);
    }
    if (m_running.empty()) {
        notices.clear(kUnfollowed);
    }
}

void ReaderEnds::reportEnd(const Job& job, const TaskEnd& end, Notices& notices)
{
    const std::string about = job.file + ", プリンター「" + job.printer + "」";
    if (end.unfollowed) {
        notices.failEveryTime(kUnfollowed,
                              "同時に動いている印刷プログラムが多すぎるため、終了を見届けません: " + about,
                              end.at);
        return;
    }
    if (const auto outcome = toldOutcome(end)) {
        // The reader did its part; the rest was the printer's.
        notices.clearStartingWith(kFailedReader);
        const std::string printer = kNotPrinted + job.printer + "\n";
        if (*outcome == PrintOutcome::printed) {
            notices.record("印刷しました: " + about, end.at);
            notices.clearStartingWith(printer);
        } else {
            notices.failEveryTime(printer + std::to_string(static_cast<int>(*outcome)),
                                  notPrintedText(*outcome, about, end.lastError), end.at);
        }
        return;
    }
    if (job.handsOver && end.signal == 0) {
        reportHandOver(job, end, about, notices);
        return;
    }
    if (!end.failed()) {
        notices.record("印刷プログラムが終了: " + about, end.at);
        notices.clearStartingWith(kFailedReader);
        return;
    }
    const std::string reason = ReaderFailureReason(end);
    notices.failEveryTime(kFailedReader + reason,
                          "印刷プログラムがエラーで終了しました: " + reason + " (" + about + ")", end.at);
}

void ReaderEnds::reportHandOver(const Job& job, const TaskEnd& end, const std::string& about,
                                Notices& notices)
{
    // The reader ran; whether the print system took the file is its exit code.
    notices.clearStartingWith(kFailedReader);
    const std::string cause = kNotPrinted + job.printer + "\nhand-over";
    if (end.exitCode == 0) {
        notices.record("印刷システムに渡しました: " + about, end.at);
        notices.clear(cause);
        return;
    }
    notices.failEveryTime(cause,
                          "印刷されていません: " + about +
                              "。印刷プログラムが印刷システムに渡せませんでした: " + ReaderFailureReason(end),
                          end.at);
}

} // namespace kumoden
