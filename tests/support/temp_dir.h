#pragma once

#include <filesystem>
#include <string>

namespace kumoden::test {

// A fresh folder below the system's temporary folder (or below the given
// one), removed with everything in it, read-only files too, when the object
// goes.
class TempDir {
public:
    TempDir();
    explicit TempDir(const std::filesystem::path& base);
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& path() const { return m_path; }
    // The folder as UTF-8 text with the platform's separator at its end.
    std::string slash() const;

    // Writes a file below the folder (folders on the way are made).
    std::filesystem::path write(const std::filesystem::path& relative, const std::string& content) const;

private:
    std::filesystem::path m_path;
};

std::string readFile(const std::filesystem::path& path);
// How many times part occurs in text (a log, a program's output).
std::size_t countOf(const std::string& text, const std::string& part);
// The path as UTF-8 text, the form the system's code takes.
std::string utf8(const std::filesystem::path& path);

} // namespace kumoden::test
