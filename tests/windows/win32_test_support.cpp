#include "win32_test_support.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace kumoden::win32test {
namespace {

std::filesystem::path uniqueBelow(const std::filesystem::path& base)
{
    static std::atomic<unsigned> counter{0};
    for (;;) {
        auto candidate = base / (L"kumoden-w32-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(counter++) + L"-" + std::to_wstring(GetTickCount64()));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            return candidate;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                    "cannot create a temporary folder");
        }
    }
}

std::filesystem::path systemTemp()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) {
        throw std::runtime_error("no temporary folder");
    }
    return std::filesystem::path(buffer);
}

} // namespace

std::string Utf8(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TempFolder::TempFolder() : TempFolder(systemTemp()) {}

TempFolder::TempFolder(const std::filesystem::path& base) : m_path(uniqueBelow(base)) {}

TempFolder::~TempFolder()
{
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(m_path, error);
}

std::filesystem::path TempFolder::write(const std::filesystem::path& relative,
                                        const std::string& content) const
{
    const auto target = m_path / relative;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary);
    out << content;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + Utf8(target));
    }
    return target;
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void AddAttributes(const std::filesystem::path& path, DWORD attributes)
{
    const DWORD now = GetFileAttributesW(path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES || !SetFileAttributesW(path.c_str(), now | attributes)) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "cannot set attributes of " + Utf8(path));
    }
}

std::filesystem::path ProgramFolder()
{
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(length);
    return std::filesystem::path(buffer).parent_path();
}

bool CanMakeWindows()
{
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

bool WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

} // namespace kumoden::win32test
