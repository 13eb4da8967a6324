#include "tests/support/print_outputs.h"

#include "tests/support/eventually.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

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
    eventually(std::chrono::seconds(30), [&] { return !jobsPending(); });
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
    std::ranges::copy_if(files(), std::back_inserter(found),
                         [&](const fs::path& file) { return !m_before.contains(file); });
    return found;
}

bool PrintOutputs::jobsPending() const
{
    return std::ranges::any_of(unfinishedJobs(),
                               [&](const std::string& job) { return !m_jobsBefore.contains(job); });
}

std::vector<fs::path> PrintOutputs::waitForNew(std::chrono::milliseconds limit, std::size_t count)
{
    const bool whole = eventually(limit, [&] { return newFiles().size() >= count && !jobsPending(); });
    return whole ? newFiles() : std::vector<fs::path>{};
}

} // namespace kumoden::test
