#pragma once

#include "platform/file_system.h"

#include <map>

namespace kumoden::fake {

// Real files through another file system, with failures a test can switch
// on: a missing file facility, a move that fails, a file taken into the
// archive with a given result and nothing changed.
class FakeFileSystem final : public FileSystem {
public:
    explicit FakeFileSystem(FileSystem& real) : m_real(real) {}

    void setObjectAvailable(bool available) { m_objectAvailable = available; }
    // Both moves and takes fail (a take with Failed).
    void setMoveFails(bool fails) { m_moveFails = fails; }
    // Takes end with this result, touching nothing; nothing for real ones.
    void setTakeResult(std::optional<TakeResult> result) { m_takeResult = result; }
    int takes() const { return m_takes; }
    int objectsCreated() const { return m_objectsCreated; }
    // Creation times for files whose real one a test cannot choose.
    void setDateCreated(const std::string& path, LocalTime created) { m_created[path] = created; }
    // Folder queries throw FolderQueryError with this reason; nothing for real ones.
    void setQueryError(std::optional<std::string> reason) { m_queryError = std::move(reason); }

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
        throwIfFailing(pattern);
        auto files = m_real.listDatedFiles(pattern);
        const std::string folder = pattern.substr(0, pattern.rfind(separator()) + 1);
        for (auto& file : files) {
            file.created = dateCreated(folder + file.name);
        }
        return files;
    }
    std::optional<std::int64_t> fileLength(const std::string& path) override
    {
        return m_real.fileLength(path);
    }
    bool folderExists(const std::string& path) override { return m_real.folderExists(path); }
    bool createFolder(const std::string& path) override { return m_real.createFolder(path); }
    bool fileExists(const std::string& path) override { return m_real.fileExists(path); }
    bool fileReadable(const std::string& path) override { return m_real.fileReadable(path); }
    bool deleteFile(const std::string& path, bool force) override { return m_real.deleteFile(path, force); }
    bool moveFile(const std::string& source, const std::string& destination) override
    {
        return !m_moveFails && m_real.moveFile(source, destination);
    }
    std::optional<FileIdentity> fileIdentity(const std::string& path) override
    {
        return m_real.fileIdentity(path);
    }
    TakeResult takeFile(const std::string& source, const std::string& destination,
                        const FileIdentity& found) override
    {
        ++m_takes;
        if (m_moveFails) {
            return TakeResult::Failed;
        }
        return m_takeResult ? *m_takeResult : m_real.takeFile(source, destination, found);
    }
    std::vector<std::string> undoTakesCutShort(const std::string& archive,
                                               const std::string& watched) override
    {
        return m_real.undoTakesCutShort(archive, watched);
    }
    std::optional<LocalTime> dateCreated(const std::string& path) override
    {
        const auto it = m_created.find(path);
        if (it != m_created.end() && m_real.fileExists(path)) {
            return it->second;
        }
        return m_real.dateCreated(path);
    }
    bool writeHiddenFile(const std::string& path, const std::string& content) override
    {
        return m_real.writeHiddenFile(path, content);
    }
    std::optional<std::string> readSmallFile(const std::string& path) override
    {
        return m_real.readSmallFile(path);
    }

private:
    void throwIfFailing(const std::string& pattern) const
    {
        if (m_queryError) {
            throw FolderQueryError(pattern.substr(0, pattern.rfind(separator()) + 1), *m_queryError);
        }
    }

    FileSystem& m_real;
    bool m_objectAvailable = true;
    bool m_moveFails = false;
    std::optional<TakeResult> m_takeResult;
    int m_takes = 0;
    int m_objectsCreated = 0;
    std::map<std::string, LocalTime> m_created;
    std::optional<std::string> m_queryError;
};

} // namespace kumoden::fake
