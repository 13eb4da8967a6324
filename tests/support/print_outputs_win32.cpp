// The print outputs' platform part under Wine: the scheduler's folders are
// on drive Z:, and its queue cannot be asked, so a new file is taken as
// still being written until its size has held for a while.
#include "tests/support/print_outputs.h"
#include "tests/support/wine_drive.h"

#include <windows.h>

#include <cstdlib>

namespace kumoden::test {

namespace {
constexpr auto kSteadyFor = std::chrono::seconds(1);
}

namespace detail {
std::filesystem::path hostFolder(const std::string& folder)
{
    return std::filesystem::path(UnderWine(folder));
}
} // namespace detail

std::string schedulerProblem()
{
    HANDLE printer = nullptr;
    wchar_t name[] = L"PDF";
    if (OpenPrinterW(name, &printer, nullptr) == FALSE) {
        return "there is no printer PDF: the tests' own scheduler does not answer "
               "(ctest's print_system.start starts it, CUPS_SERVER leads to it)";
    }
    ClosePrinter(printer);
    return {};
}

std::set<std::string> PrintOutputs::unfinishedJobs() const
{
    std::set<std::string> writing;
    const auto now = std::chrono::steady_clock::now();
    for (const std::filesystem::path& file : newFiles()) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(file, error);
        auto [seen, added] = m_sizes.try_emplace(file, size, now);
        if (!added && seen->second.first != size) {
            seen->second = {size, now};
        }
        if (error || size == 0 || now - seen->second.second < kSteadyFor) {
            writing.insert(file.string());
        }
    }
    return writing;
}

} // namespace kumoden::test
