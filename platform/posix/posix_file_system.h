#pragma once

#include "platform/file_system.h"

namespace kumoden {

// Files on a POSIX system. Hidden files are those whose name starts with a
// dot; read-only files are those without their owner's write bit.
class PosixFileSystem final : public FileSystem {
public:
    PosixFileSystem() = default;

    char separator() const override { return '/'; }
    bool createObject() override { return true; }
    std::optional<std::string> firstFile(const std::string& pattern) override;
    std::vector<std::string> listFiles(const std::string& pattern) override;
    std::vector<DatedFile> listDatedFiles(const std::string& pattern) override;
    std::optional<std::int64_t> fileLength(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    bool deleteFile(const std::string& path, bool force) override;
    bool moveFile(const std::string& source, const std::string& destination) override;
    std::optional<LocalTime> dateCreated(const std::string& path) override;
};

} // namespace kumoden
