#pragma once

#include <filesystem>
#include <string>

namespace kumoden::test {

// A fresh folder below the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& path() const { return m_path; }
    // The folder as text with a trailing separator.
    std::string slash() const { return m_path.string() + "/"; }

    // Writes a file below the folder (folders on the way are made).
    std::filesystem::path write(const std::string& relative, const std::string& content) const;

private:
    std::filesystem::path m_path;
};

std::string readFile(const std::filesystem::path& path);

} // namespace kumoden::test
