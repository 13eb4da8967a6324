// The print outputs' platform part on the scheduler's own host: libcups,
// with the environment ctest gives the tests.
#include "tests/support/cups_jobs.h"
#include "tests/support/print_outputs.h"

#include <cstdlib>

namespace kumoden::test {

namespace detail {
std::filesystem::path hostFolder(const std::string& folder)
{
    return folder;
}
} // namespace detail

std::string schedulerProblem()
{
    // Without it libcups would find the machine's scheduler, and its default printer.
    const char* server = std::getenv("CUPS_SERVER");
    if (server == nullptr || *server == '\0') {
        return "CUPS_SERVER is not set: the tests print only on a scheduler of their own, "
               "which ctest starts (run them through ctest)";
    }
    http_t* http =
        httpConnect2(server, ippPort(), nullptr, AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED, 1, 5000, nullptr);
    if (http == nullptr) {
        return std::string("the tests' scheduler at ") + server + " does not answer (" +
               cupsLastErrorString() + "); ctest's print_system.start starts it";
    }
    httpClose(http);
    return {};
}

std::vector<CupsJob> cupsJobs(const char* queue, int which)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue, 0, which);
    std::vector<CupsJob> found;
    for (int i = 0; i < count; ++i) {
        found.push_back({jobs[i].id, jobs[i].title ? jobs[i].title : "", jobs[i].dest ? jobs[i].dest : "",
                         jobs[i].state});
    }
    cupsFreeJobs(count, jobs);
    return found;
}

std::set<std::string> PrintOutputs::unfinishedJobs() const
{
    std::set<std::string> ids;
    for (const CupsJob& job : cupsJobs(m_queue.c_str())) {
        ids.insert(std::to_string(job.id));
    }
    return ids;
}

} // namespace kumoden::test
