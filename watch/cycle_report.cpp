#include "watch/cycle_report.h"

namespace kumoden {

void CycleReport::reportPrinters(PrinterListStatus status)
{
    const FileCheckInfo& info = m_info;
    Notices& notices = m_notices;
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

void CycleReport::archived(const std::string& name)
{
    m_notices.record("BackPdf に移動: " + name);
}

void CycleReport::finished(const FileResult& file)
{
    const std::string& watchedPath = m_watchedPath;
    const FileCheckInfo& info = m_info;
    Notices& notices = m_notices;
    const std::string backup = watchedPath + std::string(kBackupFolderName);
    const std::string readerCause = "reader:" + info.AcrExeDir;
    const std::string backupCause = "backup:" + backup;
    switch (file.outcome) {
    case FileOutcome::Printed:
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
    if (file.outcome == FileOutcome::Printed || file.outcome == FileOutcome::ReaderNotStarted ||
        file.outcome == FileOutcome::ReaderNotStartedStuck) {
        reportPrinters(file.printers);
    }
}

void CycleReport::purged(const std::string& backupFolder, const std::string& name)
{
    m_notices.record("保存期間を過ぎたため削除: " + backupFolder + " の " + name);
}

void CycleReport::queryFailed(const std::string& cause, const FolderQueryError& error)
{
    // What the folder holds is unknown: nothing in it is taken or purged.
    m_notices.fail(cause, "フォルダーの内容を読み取れません: " + error.folder() + " (" + error.what() + ")");
}

void CycleReport::queryWorked(const std::string& cause)
{
    m_notices.clear(cause);
}

void CycleReport::leftoverStuck(const std::string& path)
{
    m_notices.fail("leftover:" + path, "移動が途中で終わったファイルを監視フォルダーに戻せません: " + path);
}

} // namespace kumoden
