#include "watch/settings_check.h"

#include "model/settings.h"
#include "watch/backup_purge.h"
#include "watch/print_command.h"
#include "watch/watch_cycle.h"

#include <algorithm>

namespace kumoden {
namespace {

constexpr Finding kGoodFindings[] = {
    Finding::iniReadable,     Finding::intervalUsable,   Finding::folderListable, Finding::archiveWritable,
    Finding::archiveToBeMade, Finding::roomEnough,       Finding::selectionFine,  Finding::readerRunnable,
    Finding::printerReady,    Finding::retentionForEver, Finding::retentionDays,
};

// The path without the separator the watched path ends in.
std::string withoutSeparator(const std::string& path, char separator)
{
    return !path.empty() && path.back() == separator ? path.substr(0, path.size() - 1) : path;
}

CheckLine settingsFile(const std::string& iniPath, FileSystem& files)
{
    const auto line = [&](Finding finding) { return CheckLine{CheckItem::settingsFile, finding, iniPath}; };
    if (files.folderExists(iniPath)) {
        return line(Finding::iniIsFolder);
    }
    if (!files.fileExists(iniPath)) {
        return line(Finding::iniMissing);
    }
    return line(files.fileReadable(iniPath) ? Finding::iniReadable : Finding::iniUnreadable);
}

// Read as LoadSettings reads it, but told apart: missing, unusable, zero.
CheckLine interval(const std::string& iniPath, Profile& profile)
{
    const std::string text =
        TrimNull(profile.readString(std::string(kSettingsSection), "FileChkTime", iniPath, 1024));
    const auto value = text.empty() ? std::optional<std::int32_t>(0) : ReadInterval(text);
    if (!value || *value < 0) {
        return {CheckItem::interval, Finding::intervalUnusable, text};
    }
    return {CheckItem::interval, *value == 0 ? Finding::intervalZero : Finding::intervalUsable, text, *value};
}

CheckLine watchedFolder(const std::string& watched, FileSystem& files)
{
    const auto line = [&](Finding finding) { return CheckLine{CheckItem::watchedFolder, finding, watched}; };
    if (!files.folderExists(watched)) {
        const bool file = files.fileExists(withoutSeparator(watched, files.separator()));
        return line(file ? Finding::folderIsFile : Finding::folderMissing);
    }
    try {
        files.firstFile(watched + "*");
    } catch (const FolderQueryError& error) {
        CheckLine unreadable = line(Finding::folderUnreadable);
        unreadable.detail = error.what();
        return unreadable;
    }
    return line(Finding::folderListable);
}

// The archive is made by the first file a tick takes: until then the
// watched folder must take it.
CheckLine archiveFolder(const std::string& watched, FileSystem& files)
{
    const std::string archive = ArchivedPath(watched, "");
    const auto line = [&](Finding finding) { return CheckLine{CheckItem::archiveFolder, finding, archive}; };
    if (files.folderExists(archive)) {
        return line(files.canWriteInto(archive) ? Finding::archiveWritable : Finding::archiveNotWritable);
    }
    if (files.fileExists(withoutSeparator(archive, files.separator()))) {
        return line(Finding::archiveIsFile);
    }
    return line(files.canWriteInto(watched) ? Finding::archiveToBeMade : Finding::archiveCannotBeMade);
}

CheckLine freeSpace(const std::string& watched, FileSystem& files)
{
    const std::string archive = ArchivedPath(watched, "");
    const std::string where = files.folderExists(archive) ? archive : watched;
    const auto room = files.freeSpace(where);
    if (!room) {
        return {CheckItem::freeSpace, Finding::roomUnknown, where};
    }
    return {CheckItem::freeSpace, *room < kLeastFreeSpace ? Finding::roomTooLittle : Finding::roomEnough,
            where, *room};
}

CheckLine fileSelect(const std::string& watched, const FileCheckInfo& info, FileSystem& files)
{
    const std::string shown = info.FileSelect + "*.pdf";
    if (SelectionLeavesFolder(info.FileSelect)) {
        return {CheckItem::fileSelect, Finding::selectionLeavesFolder, shown};
    }
    std::int64_t waiting = -1;
    try {
        waiting = static_cast<std::int64_t>(files.listFiles(MatchPattern(watched, info.FileSelect)).size());
    } catch (const FolderQueryError&) {
    }
    return {CheckItem::fileSelect, Finding::selectionFine, shown, waiting};
}

// The launch starts the path as it stands: without a folder it depends on
// where the program was started (Linux) or on the search path (Windows).
CheckLine reader(const std::string& path, FileSystem& files)
{
    const auto line = [&](Finding finding) { return CheckLine{CheckItem::reader, finding, path}; };
    if (path.empty()) {
        return line(Finding::readerNotSet);
    }
    if (path.find_first_of(std::string{files.separator(), '/'}) == std::string::npos) {
        return line(Finding::readerWithoutFolder);
    }
    if (files.folderExists(path)) {
        return line(Finding::readerNotAFile);
    }
    if (!files.fileExists(path)) {
        return line(Finding::readerMissing);
    }
    if (!files.canRun(path)) {
        return line(Finding::readerCannotRun);
    }
    CheckLine runnable = line(Finding::readerRunnable);
    runnable.detail = IsSumatraReader(path) ? kSumatraForm : kDefaultForm;
    return runnable;
}

CheckLine printer(const std::string& name, PrinterList& printers)
{
    const PrinterState state = printers.printerState(name);
    CheckLine line{CheckItem::printer, Finding::printerReady, state.name, name.empty() ? 1 : 0,
                   state.message};
    if (state.status == PrinterListStatus::unreachable) {
        line.finding = Finding::printerSystemUnreachable;
    } else if (state.status == PrinterListStatus::noAnswer) {
        line.finding = Finding::printerSystemSilent;
    } else if (!state.known) {
        line.finding = name.empty() ? Finding::printerNoDefault : Finding::printerUnknown;
    } else if (!state.accepting) {
        line.finding = Finding::printerRejecting;
    } else if (state.stopped) {
        line.finding = Finding::printerStopped;
    }
    return line;
}

// Read as the purge reads it.
CheckLine retention(const std::string& fileDelDate)
{
    if (fileDelDate.empty()) {
        return {CheckItem::retention, Finding::retentionForEver, {}};
    }
    const auto days = RetentionDays(fileDelDate);
    if (!days) {
        return {CheckItem::retention, Finding::retentionUnreadable, fileDelDate};
    }
    return {CheckItem::retention, Finding::retentionDays, fileDelDate, *days};
}

} // namespace

bool CheckLine::ok() const
{
    return std::ranges::find(kGoodFindings, finding) != std::end(kGoodFindings);
}

std::vector<CheckLine> CheckSettings(const std::string& iniPath, CheckServices services)
{
    FileSystem& files = services.files;
    FileCheckInfo info;
    LoadSettings(info, services.profile, iniPath);
    const std::string watched = WatchedPath(info.FileChkDir, files.separator());
    return {
        settingsFile(iniPath, files),  interval(iniPath, services.profile),
        watchedFolder(watched, files), archiveFolder(watched, files),
        freeSpace(watched, files),     fileSelect(watched, info, files),
        reader(info.AcrExeDir, files), printer(info.PrinterNm, services.printers),
        retention(info.FileDelDate),
    };
}

int CheckExitCode(const std::vector<CheckLine>& lines)
{
    return std::ranges::all_of(lines, &CheckLine::ok) ? 0 : 1;
}

} // namespace kumoden
