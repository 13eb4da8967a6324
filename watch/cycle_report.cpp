#include "watch/cycle_report.h"

#include <set>

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
    if (m_readers != nullptr) {
        m_readers->started(m_watchedPath, file, m_info);
    }
    if (!reportProgress(file)) {
        reportTrouble(file);
    }
    if (file.outcome != FileOutcome::WaitsForReader && file.outcome != FileOutcome::HeldBack) {
        m_notices.clear("reading:" + file.name);
    }
    if (file.outcome == FileOutcome::Printed || file.outcome == FileOutcome::ReaderNotStarted ||
        file.outcome == FileOutcome::ReaderNotStartedStuck || file.outcome == FileOutcome::LaunchHeld) {
        reportPrinters(file.printers);
    }
}

std::string CycleReport::backupFolder() const
{
    return m_watchedPath + std::string(kBackupFolderName);
}

std::string CycleReport::readerCause() const
{
    return "reader:" + m_info.AcrExeDir;
}

std::string CycleReport::archiveCause() const
{
    return "archive:" + backupFolder() + "\n";
}

bool CycleReport::reportProgress(const FileResult& file)
{
    const FileCheckInfo& info = m_info;
    Notices& notices = m_notices;
    const std::string& name = file.name;
    switch (file.outcome) {
    case FileOutcome::Printed:
        notices.recordHandedToReader("印刷プログラムを起動: " + info.AcrExeDir + " (" +
                                     ArchivedPath(m_watchedPath, name) + ", プリンター「" + info.PrinterNm +
                                     "」)");
        notices.clearWithFiles(readerCause());
        // A file printed clears all the archive's failures.
        notices.clearStartingWith(archiveCause());
        notices.clearWithFiles("swapped:" + name);
        return true;
    case FileOutcome::InUse:
        notices.record("書き込み中のため次の回に: " + name);
        return true;
    case FileOutcome::Vanished:
        notices.record("移動する前になくなりました: " + name);
        notices.clearWithFiles("swapped:" + name);
        return true;
    case FileOutcome::NotTheFileFound:
        notices.failFor("swapped:" + name, name,
                        "見つけたときと別のファイルに置き換えられたため印刷しません: " + name);
        m_swapped.insert("swapped:" + name);
        m_swapped.insert("swapped:" + name + "\n" + name);
        return true;
    case FileOutcome::WaitsForReader:
        notices.note("reading:" + name,
                     "同じ名前の前のファイルを印刷プログラムが読み終えるまで監視フォルダーで待ちます: " +
                         name);
        return true;
    case FileOutcome::HeldBack:
        return true;
    default:
        return false;
    }
}

void CycleReport::reportTrouble(const FileResult& file)
{
    Notices& notices = m_notices;
    const std::string& name = file.name;
    const std::string backup = backupFolder();
    const std::string why = file.reason.empty() ? std::string() : " (" + file.reason + ")";
    const std::string archive = archiveCause();
    switch (file.outcome) {
    case FileOutcome::NotArchived:
        notices.failFor(archive + "move", name,
                        "BackPdf に移動できません: " + name + why + " (" + backup + ")");
        break;
    case FileOutcome::NoRoom:
        notices.failFor(archive + "room", name,
                        "BackPdf に空きがないため移動できません: " + name + why +
                            "。空きができたら移動します。");
        break;
    case FileOutcome::ArchiveBusy:
        notices.failFor(archive + "busy", name, "別のプログラムが BackPdf を使っているため次の回に: " + name);
        break;
    case FileOutcome::NoRecord:
        notices.failFor(archive + "record", name, "BackPdf に記録を書けないため移動しません: " + name + why);
        break;
    case FileOutcome::ArchiveStuck:
        notices.failFor(archive + "stuck", name,
                        "BackPdf の前の移動が終わっていないため移動しません: " + name + why);
        break;
    case FileOutcome::LaunchHeld:
        notices.failFor(archive + "launch", name,
                        "記録を消せないため、印刷プログラムの起動を次の回にします: " + name + why);
        break;
    case FileOutcome::ReaderNotStarted:
        notices.failFor(readerCause(), name,
                        "印刷プログラムを起動できません: " + m_info.AcrExeDir + "。" + name +
                            " は監視フォルダーに " + file.returnedAs +
                            " として戻しました。印刷プログラムが変わるまで印刷を待ちます。");
        break;
    case FileOutcome::ReaderNotStartedStuck:
        notices.failFor(readerCause(), name,
                        "印刷プログラムを起動できません: " + m_info.AcrExeDir + "。" + name +
                            " は監視フォルダーに戻せず、" + backup + " に残っています" + why + "。");
        break;
    default:
        break;
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

void CycleReport::leftovers(const std::vector<std::pair<std::string, std::string>>& stuck)
{
    const std::string prefix = "leftover:";
    std::set<std::string> still;
    for (const auto& [path, why] : stuck) {
        still.insert(prefix + path);
    }
    m_notices.keepOnly(prefix, still);
    for (const auto& [path, why] : stuck) {
        m_notices.fail(prefix + path, "途中で終わった移動を仕上げられません: " + path + " (" + why +
                                          ")。次の回にもう一度試みます。");
    }
}

void CycleReport::tickEnded()
{
    m_notices.keepOnly("swapped:", m_swapped);
}

void CycleReport::leftoverReturned(const std::string& name)
{
    m_notices.record("途中で終わった移動を取り消し、監視フォルダーに戻しました: " + name);
}

} // namespace kumoden
