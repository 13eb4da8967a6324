#include "watch/cycle_report.h"

namespace kumoden {
namespace {

void reportPrinters(PrinterListStatus status, const FileCheckInfo& info, Notices& notices)
{
    const std::string cause = "printers";
    switch (status) {
    case PrinterListStatus::listed:
        notices.clear(cause);
        break;
    case PrinterListStatus::noAnswer:
        notices.fail(cause, "印刷スケジューラーが応答しないため、プリンター「" + info.PrinterNm +
                                "」のドライバーとポートを調べられませんでした。");
        break;
    case PrinterListStatus::unreachable:
        notices.fail(cause, "印刷スケジューラーに接続できないため、プリンター「" + info.PrinterNm +
                                "」のドライバーとポートを調べられませんでした。");
        break;
    }
}

void reportFile(const FileResult& file, const std::string& watchedPath, const FileCheckInfo& info,
                Notices& notices)
{
    const std::string backup = watchedPath + std::string(kBackupFolderName);
    const std::string readerCause = "reader:" + info.AcrExeDir;
    const std::string backupCause = "backup:" + backup;
    switch (file.outcome) {
    case FileOutcome::Printed:
        notices.record("BackPdf に移動: " + file.name);
        notices.record("印刷プログラムを起動: " + info.AcrExeDir + " (" +
                       ArchivedPath(watchedPath, file.name) + ", プリンター「" + info.PrinterNm + "」)");
        notices.clear(readerCause);
        notices.clear(backupCause);
        break;
    case FileOutcome::InUse:
        notices.record("書き込み中のため次の回に: " + file.name);
        break;
    case FileOutcome::Vanished:
        notices.record("移動する前になくなりました: " + file.name);
        break;
    case FileOutcome::NotTheFileFound:
        notices.fail("swapped:" + file.name,
                     "見つけたときと別のファイルに置き換えられたため印刷しません: " + file.name);
        break;
    case FileOutcome::NotArchived:
        notices.fail(backupCause, "BackPdf に移動できません: " + file.name + " (" + backup + ")");
        break;
    case FileOutcome::ReaderNotStarted:
        notices.fail(readerCause, "印刷プログラムを起動できません: " + info.AcrExeDir + "。" + file.name +
                                      " は監視フォルダーに " + file.returnedAs + " として戻しました。");
        break;
    case FileOutcome::ReaderNotStartedStuck:
        notices.fail(readerCause, "印刷プログラムを起動できません: " + info.AcrExeDir + "。" + file.name +
                                      " は監視フォルダーに戻せず、" + backup + " に残っています。");
        break;
    }
}

} // namespace

void ReportWatchCycle(const WatchCycleResult& result, const FileCheckInfo& info, Notices& notices)
{
    const std::string backup = result.watchedPath + std::string(kBackupFolderName);
    for (const FileResult& file : result.files) {
        reportFile(file, result.watchedPath, info, notices);
        if (file.outcome == FileOutcome::Printed || file.outcome == FileOutcome::ReaderNotStarted ||
            file.outcome == FileOutcome::ReaderNotStartedStuck) {
            reportPrinters(file.printers, info, notices);
        }
    }
    for (const std::string& path : result.leftovers) {
        notices.fail("leftover:" + path, "移動が途中で終わったファイルを監視フォルダーに戻せません: " + path);
    }
    for (const std::string& name : result.purged) {
        notices.record("保存期間を過ぎたため削除: " + backup + " の " + name);
    }
}

} // namespace kumoden
