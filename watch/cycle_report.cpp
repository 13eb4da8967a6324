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
    const std::string& watchedPath = m_watchedPath;
    const FileCheckInfo& info = m_info;
    Notices& notices = m_notices;
    const std::string& name = file.name;
    const std::string backup = watchedPath + std::string(kBackupFolderName);
    const std::string why = file.reason.empty() ? std::string() : " (" + file.reason + ")";
    const std::string readerCause = "reader:" + info.AcrExeDir;
    // The archive's failures; a file printed clears them all.
    const std::string archiveCause = "archive:" + backup + "\n";
    switch (file.outcome) {
    case FileOutcome::Printed:
        notices.record("印刷プログラムを起動: " + info.AcrExeDir + " (" + ArchivedPath(watchedPath, name) +
                       ", プリンター「" + info.PrinterNm + "」)");
        notices.clearWithFiles(readerCause);
        notices.clearStartingWith(archiveCause);
        notices.clearWithFiles("swapped:" + name);
        break;
    case FileOutcome::InUse:
        notices.record("書き込み中のため次の回に: " + name);
        break;
    case FileOutcome::Vanished:
        notices.record("移動する前になくなりました: " + name);
        notices.clearWithFiles("swapped:" + name);
        break;
    case FileOutcome::NotTheFileFound:
        notices.failFor("swapped:" + name, name,
                        "見つけたときと別のファイルに置き換えられたため印刷しません: " + name);
        m_swapped.insert("swapped:" + name);
        m_swapped.insert("swapped:" + name + "\n" + name);
        break;
    case FileOutcome::NotArchived:
        notices.failFor(archiveCause + "move", name,
                        "BackPdf に移動できません: " + name + why + " (" + backup + ")");
        break;
    case FileOutcome::NoRoom:
        notices.failFor(archiveCause + "room", name,
                        "BackPdf に空きがないため移動できません: " + name + why +
                            "。空きができたら移動します。");
        break;
    case FileOutcome::ArchiveBusy:
        notices.failFor(archiveCause + "busy", name,
                        "別のプログラムが BackPdf を使っているため次の回に: " + name);
        break;
    case FileOutcome::WaitsForReader:
        notices.note("reading:" + name,
                     "同じ名前の前のファイルを印刷プログラムが読み終えるまで監視フォルダーで待ちます: " +
                         name);
        break;
    case FileOutcome::NoRecord:
        notices.failFor(archiveCause + "record", name,
                        "BackPdf に記録を書けないため移動しません: " + name + why);
        break;
    case FileOutcome::ArchiveStuck:
        notices.failFor(archiveCause + "stuck", name,
                        "BackPdf の前の移動が終わっていないため移動しません: " + name + why);
        break;
    case FileOutcome::LaunchHeld:
        notices.failFor(archiveCause + "launch", name,
                        "記録を消せないため、印刷プログラムの起動を次の回にします: " + name + why);
        break;
    case FileOutcome::ReaderNotStarted:
        notices.failFor(readerCause, name,
                        "印刷プログラムを起動できません: " + info.AcrExeDir + "。" + name +
                            " は監視フォルダーに " + file.returnedAs +
                            " として戻しました。印刷プログラムが変わるまで印刷を待ちます。");
        break;
    case FileOutcome::ReaderNotStartedStuck:
        notices.failFor(readerCause, name,
                        "印刷プログラムを起動できません: " + info.AcrExeDir + "。" + name +
                            " は監視フォルダーに戻せず、" + backup + " に残っています" + why + "。");
        break;
    case FileOutcome::HeldBack:
        break;
    }
    if (file.outcome != FileOutcome::WaitsForReader && file.outcome != FileOutcome::HeldBack) {
        notices.clear("reading:" + name);
    }
    if (file.outcome == FileOutcome::Printed || file.outcome == FileOutcome::ReaderNotStarted ||
        file.outcome == FileOutcome::ReaderNotStartedStuck || file.outcome == FileOutcome::LaunchHeld) {
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
