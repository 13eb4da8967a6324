#include "watch/watch_setup.h"

#include "watch/watch_cycle.h"

namespace kumoden {

std::optional<WatchSetupProblem> SettingsFileProblem(const std::string& iniPath, FileSystem& files)
{
    if (files.folderExists(iniPath) || (files.fileExists(iniPath) && !files.fileReadable(iniPath))) {
        return WatchSetupProblem{kSettingsFileCause,
                                 "設定ファイルを読み取れないため、すべての設定を未設定として扱います: " +
                                     iniPath};
    }
    return std::nullopt;
}

std::vector<WatchSetupProblem> WatchSetupProblems(const FileCheckInfo& info, FileSystem& files)
{
    std::vector<WatchSetupProblem> problems;
    if (info.FileChkTime <= 0) {
        problems.push_back(
            {kIntervalCause, "監視間隔 (FileChkTime) が正の数でないため、フォルダーを監視しません。"});
    }
    const std::string watched = WatchedPath(info.FileChkDir, files.separator());
    if (!files.folderExists(watched)) {
        problems.push_back({kFolderCause, "監視フォルダーが見つかりません: " + watched});
    }
    if (info.AcrExeDir.empty()) {
        problems.push_back({kReaderCause, "印刷プログラム (AcrExeDir) が設定されていません。"});
    } else if (info.AcrExeDir.find(files.separator()) != std::string::npos &&
               !files.fileExists(info.AcrExeDir)) {
        problems.push_back({kReaderCause, "印刷プログラムが見つかりません: " + info.AcrExeDir});
    }
    if (SelectionLeavesFolder(info.FileSelect)) {
        problems.push_back({kSelectionCause, "出力ファイル名 (FileSelect)「" + info.FileSelect +
                                                 "」にフォルダーの区切り (/ または \\) が含まれているため、"
                                                 "どのファイルも印刷しません。"});
    }
    return problems;
}

} // namespace kumoden
