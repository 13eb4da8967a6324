#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace kumoden::win32test {

// The path as UTF-8 text, the form the backends take.
std::string Utf8(const std::filesystem::path& path);

// A fresh folder below the system's temporary folder (or below base),
// removed with everything in it, read-only and hidden files too.
class TempFolder {
public:
    TempFolder();
    explicit TempFolder(const std::filesystem::path& base);
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::filesystem::path& path() const { return m_path; }
    // The folder as UTF-8 with a trailing separator.
    std::string slash() const { return Utf8(m_path) + '\\'; }

    std::filesystem::path write(const std::filesystem::path& relative, const std::string& content) const;

private:
    std::filesystem::path m_path;
};

std::string ReadFile(const std::filesystem::path& path);
void AddAttributes(const std::filesystem::path& path, DWORD attributes);
// The folder of the running test program.
std::filesystem::path ProgramFolder();
// Whether top-level windows can be made: not under Wine without a display
// (X, or its null graphics driver).
bool CanMakeWindows();
// Polls until done() holds or the time is up; messages of this thread are
// handled meanwhile.
bool WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& done);

} // namespace kumoden::win32test
