#pragma once

#include "platform/file_system.h"

#include <string>

namespace kumoden {

// Files through the wide Win32 API. Hidden and system files are those with
// the attribute of that name; read-only files those with
// FILE_ATTRIBUTE_READONLY. Links (reparse points) are never listed.
class Win32FileSystem final : public FileSystem {
public:
    Win32FileSystem() = default;

    char separator() const override { return '\\'; }
    bool createObject() override { return true; }
    std::optional<std::string> firstFile(const std::string& pattern) override;
    std::vector<std::string> listFiles(const std::string& pattern) override;
    std::vector<DatedFile> listDatedFiles(const std::string& pattern) override;
    std::optional<DatedFile> datedFile(const std::string& folder, const std::string& name) override;
    // From ReadDirectoryChangesW, on local drives.
    std::unique_ptr<FolderChanges> watchFolder(const std::string& folder) override;
    std::optional<std::int64_t> fileLength(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    bool fileReadable(const std::string& path) override;
    // Opens the folder for FILE_ADD_FILE: the folder's access list decides.
    bool canWriteInto(const std::string& folder) override;
    // What CreateProcess starts: an .exe or .com file, or a batch file.
    bool canRun(const std::string& path) override;
    bool deleteFile(const std::string& path, bool force) override;
    std::optional<FileIdentity> fileIdentity(const std::string& path) override;
    std::optional<LocalTime> dateCreated(const std::string& path) override;
    // The hidden attribute follows the name (set for a name starting with
    // a dot, cleared for another); a file whose attribute cannot be made to
    // match goes back to its old name.
    FileStep renameNew(const std::string& from, const std::string& to) override;
    FileStep copyNew(const std::string& from, const std::string& to) override;
    FileStep writeNew(const std::string& path, const std::string& content) override;
    // Open for reading without sharing write: refused while a program has
    // the file open for writing, and no one can open it so while held.
    std::unique_ptr<FileHold> holdFile(const std::string& path, const FileIdentity& expected,
                                       FileStep& step) override;
    // The file open and shared with no one.
    std::unique_ptr<FileHold> lockFile(const std::string& path, FileStep& step) override;
    std::optional<std::int64_t> freeSpace(const std::string& folder) override;
    std::optional<FileStamp> fileStamp(const std::string& path) override;
    std::optional<std::string> readSmallFile(const std::string& path) override;
};

} // namespace kumoden
