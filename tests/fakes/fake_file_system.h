#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>

namespace kumoden::fake {

// Real files through another file system, with failures a test can switch
// on: a missing file facility, renames and copies that fail, a file found
// open for writing, an archive on another file system.
class FakeFileSystem final : public FileSystem {
public:
    explicit FakeFileSystem(FileSystem& real) : m_real(real) {}

    void setObjectAvailable(bool available) { m_objectAvailable = available; }
    // Renames and copies fail.
    void setMoveFails(bool fails) { m_moveFails = fails; }
    // Holding a file fails so (inUse: a writer has it open); nothing for real ones.
    void setHoldResult(std::optional<FileStep::Kind> result) { m_holdResult = result; }
    // The free space every folder reports; nothing for the real one.
    void setRoom(std::optional<std::int64_t> room) { m_room = room; }
    // The archive folder BackPdf lies on a file system of its own: renames
    // between it and other folders fail so, and files are copied.
    void setOtherVolumes(bool other) { m_otherVolumes = other; }
    // The folder takes no new entries / the program cannot be started,
    // whatever the real ones say (a test may run as root).
    void denyWriteInto(const std::string& folder) { m_noWriteInto.insert(folder); }
    void denyRun(const std::string& path) { m_noRun.insert(path); }
    int objectsCreated() const { return m_objectsCreated; }
    // Creation times for files whose real one a test cannot choose.
    void setDateCreated(const std::string& path, LocalTime created) { m_created[path] = created; }
    // Folder queries throw FolderQueryError with this reason; nothing for real ones.
    void setQueryError(std::optional<std::string> reason) { m_queryError = std::move(reason); }
    // Moves every creation time given out, as a new time zone would: no
    // entry changes and no watch tells of it.
    void setZoneShift(std::chrono::minutes shift) { m_zoneShift = shift; }
    // Whether folders can be watched for changes (they can by default).
    void setWatchAvailable(bool available) { m_watchAvailable = available; }
    // The next take of every watch started so far says changes were lost.
    void loseChanges() { ++m_lossCount; }
    // How many whole-folder listings with dates, and single files, were asked for.
    int datedListings() const { return m_datedListings; }
    int filesLookedAt() const { return m_filesLookedAt; }

    char separator() const override { return m_real.separator(); }
    bool createObject() override
    {
        ++m_objectsCreated;
        return m_objectAvailable;
    }
    std::optional<std::string> firstFile(const std::string& pattern) override
    {
        throwIfFailing(pattern);
        return m_real.firstFile(pattern);
    }
    std::vector<std::string> listFiles(const std::string& pattern) override
    {
        throwIfFailing(pattern);
        return m_real.listFiles(pattern);
    }
    std::vector<DatedFile> listDatedFiles(const std::string& pattern) override
    {
        ++m_datedListings;
        auto files = datedListing(pattern);
        for (auto& file : files) {
            file.created = shifted(file.created);
        }
        return files;
    }
    std::optional<DatedFile> datedFile(const std::string& folder, const std::string& name) override
    {
        ++m_filesLookedAt;
        auto file = m_real.datedFile(folder, name);
        if (file) {
            file->created = dateCreated(folder + file->name);
        }
        return file;
    }
    std::unique_ptr<FolderChanges> watchFolder(const std::string& folder) override
    {
        if (!m_watchAvailable || !m_real.folderExists(folder)) {
            return nullptr;
        }
        return std::make_unique<Changes>(*this, folder);
    }
    std::optional<std::int64_t> fileLength(const std::string& path) override
    {
        return m_real.fileLength(path);
    }
    bool folderExists(const std::string& path) override { return m_real.folderExists(path); }
    bool createFolder(const std::string& path) override { return m_real.createFolder(path); }
    bool fileExists(const std::string& path) override { return m_real.fileExists(path); }
    bool fileReadable(const std::string& path) override { return m_real.fileReadable(path); }
    bool canWriteInto(const std::string& folder) override
    {
        return !m_noWriteInto.contains(folder) && m_real.canWriteInto(folder);
    }
    bool canRun(const std::string& path) override { return !m_noRun.contains(path) && m_real.canRun(path); }
    bool deleteFile(const std::string& path, bool force) override { return m_real.deleteFile(path, force); }
    std::optional<FileIdentity> fileIdentity(const std::string& path) override
    {
        return m_real.fileIdentity(path);
    }
    std::optional<LocalTime> dateCreated(const std::string& path) override
    {
        return shifted(unshifted(path));
    }
    FileStep renameNew(const std::string& from, const std::string& to) override
    {
        if (m_moveFails) {
            return {FileStep::failed, "a move that fails"};
        }
        const auto archived = [](const std::string& path) {
            return path.find("BackPdf") != std::string::npos;
        };
        if (m_otherVolumes && archived(from) != archived(to)) {
            return {FileStep::otherVolume, "another file system"};
        }
        return m_real.renameNew(from, to);
    }
    FileStep copyNew(const std::string& from, const std::string& to) override
    {
        return m_moveFails ? FileStep{FileStep::failed, "a copy that fails"} : m_real.copyNew(from, to);
    }
    FileStep writeNew(const std::string& path, const std::string& content) override
    {
        return m_real.writeNew(path, content);
    }
    std::unique_ptr<FileHold> holdFile(const std::string& path, const FileIdentity& expected,
                                       FileStep& step) override
    {
        if (m_holdResult) {
            step = {*m_holdResult, "held"};
            return nullptr;
        }
        return m_real.holdFile(path, expected, step);
    }
    std::unique_ptr<FileHold> lockFile(const std::string& path, FileStep& step) override
    {
        return m_real.lockFile(path, step);
    }
    std::optional<std::int64_t> freeSpace(const std::string& folder) override
    {
        return m_room ? m_room : m_real.freeSpace(folder);
    }
    std::optional<FileStamp> fileStamp(const std::string& path) override { return m_real.fileStamp(path); }
    std::optional<std::string> readSmallFile(const std::string& path) override
    {
        return m_real.readSmallFile(path);
    }

private:
    // Changes found by comparing the folder with what it held at the last
    // take, so they are told at once on every platform.
    class Changes final : public FolderChanges {
    public:
        Changes(FakeFileSystem& files, std::string folder)
            : m_files(files), m_folder(std::move(folder)), m_losses(files.m_lossCount), m_seen(snapshot())
        {
        }
        FolderChangeSet take() override
        {
            FolderChangeSet changes;
            changes.lost = m_losses != m_files.m_lossCount || !m_files.m_real.folderExists(m_folder);
            m_losses = m_files.m_lossCount;
            auto now = snapshot();
            for (const auto& [name, state] : now) {
                const auto it = m_seen.find(name);
                if (it == m_seen.end() || it->second != state) {
                    changes.names.push_back(name);
                }
            }
            for (const auto& entry : m_seen) {
                if (!now.count(entry.first)) {
                    changes.names.push_back(entry.first);
                }
            }
            m_seen = std::move(now);
            return changes;
        }

    private:
        using State =
            std::tuple<std::optional<FileIdentity>, std::optional<std::int64_t>, std::optional<LocalTime>>;
        std::map<std::string, State> snapshot()
        {
            std::map<std::string, State> entries;
            for (const DatedFile& file : m_files.datedListing(m_folder + "*")) {
                const std::string path = m_folder + file.name;
                entries[file.name] = {m_files.m_real.fileIdentity(path), m_files.m_real.fileLength(path),
                                      file.created};
            }
            return entries;
        }
        FakeFileSystem& m_files;
        std::string m_folder;
        int m_losses;
        std::map<std::string, State> m_seen;
    };

    std::vector<DatedFile> datedListing(const std::string& pattern)
    {
        throwIfFailing(pattern);
        auto files = m_real.listDatedFiles(pattern);
        const std::string folder = pattern.substr(0, pattern.rfind(separator()) + 1);
        for (auto& file : files) {
            file.created = unshifted(folder + file.name);
        }
        return files;
    }
    std::optional<LocalTime> unshifted(const std::string& path)
    {
        const auto it = m_created.find(path);
        if (it != m_created.end() && m_real.fileExists(path)) {
            return it->second;
        }
        return m_real.dateCreated(path);
    }
    std::optional<LocalTime> shifted(std::optional<LocalTime> time) const
    {
        return time ? std::optional<LocalTime>(*time + m_zoneShift) : std::nullopt;
    }

    void throwIfFailing(const std::string& pattern) const
    {
        if (m_queryError) {
            throw FolderQueryError(pattern.substr(0, pattern.rfind(separator()) + 1), *m_queryError);
        }
    }

    FileSystem& m_real;
    bool m_objectAvailable = true;
    bool m_moveFails = false;
    std::set<std::string> m_noWriteInto;
    std::set<std::string> m_noRun;
    std::optional<FileStep::Kind> m_holdResult;
    bool m_otherVolumes = false;
    std::optional<std::int64_t> m_room;
    int m_objectsCreated = 0;
    std::map<std::string, LocalTime> m_created;
    std::optional<std::string> m_queryError;
    std::chrono::minutes m_zoneShift{0};
    bool m_watchAvailable = true;
    int m_lossCount = 0;
    int m_datedListings = 0;
    int m_filesLookedAt = 0;
};

} // namespace kumoden::fake
