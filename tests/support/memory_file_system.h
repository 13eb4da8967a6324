#pragma once

#include "platform/file_system.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kumoden::test {

// Thrown by MemoryFileSystem at the step a test chose: the process ends
// there, and whatever the step would have done is not done. Not a
// std::exception, so that nothing the program catches stops it.
struct Crash {};

// Files in memory, on volumes of a test's own, with '/' between names.
// Every step that changes something (and any other the test counts with
// step()) is numbered, and the process can be made to end before any of
// them, a copy also half way through. What a step does is all or nothing,
// as the platform's primitives are.
class MemoryFileSystem final : public FileSystem {
public:
    // Paths starting with prefix lie on another volume, with room bytes free.
    void addVolume(const std::string& prefix, std::int64_t room);
    void setRoom(const std::string& prefix, std::int64_t room);
    void addFolder(const std::string& path);
    void addFile(const std::string& path, const std::string& content, bool readOnly = false);
    // A program that keeps the file open for writing.
    void setWriter(const std::string& path, bool writing);
    // The next matching step fails with this kind, once.
    void failNext(const std::string& operation, const std::string& path, FileStep::Kind kind);

    // Counts one step; throws Crash when it is the one chosen.
    void step();
    // The process ends before step number crashAt (1 is the first); the
    // counting starts again.
    void crashAt(std::optional<int> crashAt);
    int steps() const { return m_steps; }

    std::optional<std::string> content(const std::string& path) const;
    // Every file, hidden ones too, with its content.
    std::map<std::string, std::string> allFiles() const;

    char separator() const override { return '/'; }
    bool createObject() override { return true; }
    std::optional<std::string> firstFile(const std::string& pattern) override;
    std::vector<std::string> listFiles(const std::string& pattern) override;
    std::vector<DatedFile> listDatedFiles(const std::string& pattern) override;
    std::optional<DatedFile> datedFile(const std::string& folder, const std::string& name) override;
    std::optional<std::int64_t> fileLength(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    bool fileReadable(const std::string& path) override { return fileExists(path); }
    bool canWriteInto(const std::string& folder) override { return folderExists(folder); }
    bool canRun(const std::string& path) override { return fileExists(path); }
    bool deleteFile(const std::string& path, bool force) override;
    std::optional<FileIdentity> fileIdentity(const std::string& path) override;
    std::optional<LocalTime> dateCreated(const std::string& path) override;
    std::optional<std::string> readSmallFile(const std::string& path) override;
    FileStep renameNew(const std::string& from, const std::string& to) override;
    FileStep copyNew(const std::string& from, const std::string& to) override;
    FileStep writeNew(const std::string& path, const std::string& content) override;
    std::unique_ptr<FileHold> holdFile(const std::string& path, const FileIdentity& expected,
                                       FileStep& step) override;
    std::unique_ptr<FileHold> lockFile(const std::string& path, FileStep& step) override;
    std::optional<std::int64_t> freeSpace(const std::string& folder) override;
    std::optional<FileStamp> fileStamp(const std::string& path) override;

private:
    struct Node {
        std::string content;
        bool readOnly = false;
        std::uint64_t index = 0;
        std::int64_t written = 0;
    };
    class Lock;
    std::uint64_t volumeOf(const std::string& path) const;
    bool parentExists(const std::string& path) const;
    std::optional<FileStep::Kind> injected(const std::string& operation, const std::string& path);
    std::vector<std::string> matching(const std::string& pattern) const;
    FileStep newFileCheck(const std::string& path, std::int64_t size) const;

    std::map<std::string, Node> m_files;
    std::set<std::string> m_folders{""};
    std::map<std::string, std::pair<std::uint64_t, std::int64_t>> m_volumes; // prefix: id, room
    std::set<std::string> m_writers;
    std::set<std::string> m_locked;
    std::map<std::pair<std::string, std::string>, FileStep::Kind> m_failures;
    std::uint64_t m_nextIndex = 1;
    std::int64_t m_clock = 0;
    int m_steps = 0;
    std::optional<int> m_crashAt;
};

} // namespace kumoden::test
