#include "tests/support/print_outputs.h"

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace kumoden::test {

namespace fs = std::filesystem;

fs::path printOutputFolder(const std::string& queue)
{
    const char* root = std::getenv("KUMODEN_PRINT_OUT");
    if (root == nullptr || *root == '\0') {
        throw std::runtime_error("KUMODEN_PRINT_OUT is not set: the tests print on a scheduler of their own, "
                                 "which ctest starts (run them through ctest)");
    }
    return detail::hostFolder(root) / queue;
}

PrintOutputs::PrintOutputs(const std::string& queue, std::string namePrefix)
    : m_queue(queue), m_prefix(std::move(namePrefix)), m_folder(printOutputFolder(queue)), m_before(files()),
      m_jobsBefore(unfinishedJobs())
{
}

PrintOutputs::~PrintOutputs()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (jobsPending() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::error_code error;
    for (const fs::path& file : newFiles()) {
        fs::remove(file, error);
    }
}

std::set<fs::path> PrintOutputs::files() const
{
    std::set<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(m_folder, error)) {
        const fs::path& file = entry.path();
        if (file.extension() == ".pdf" && file.filename().string().starts_with(m_prefix)) {
            found.insert(file);
        }
    }
    return found;
}

std::vector<fs::path> PrintOutputs::newFiles() const
{
    std::vector<fs::path> found;
    for (const fs::path& file : files()) {
        if (!m_before.contains(file)) {
            found.push_back(file);
        }
    }
    return found;
}

bool PrintOutputs::jobsPending() const
{
    for (const std::string& job : unfinishedJobs()) {
        if (!m_jobsBefore.contains(job)) {
            return true;
        }
    }
    return false;
}

std::vector<fs::path> PrintOutputs::waitForNew(std::chrono::milliseconds limit, std::size_t count)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (newFiles().size() < count || jobsPending()) {
        if (std::chrono::steady_clock::now() > end) {
            return {};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return newFiles();
}

} // namespace kumoden::test
