// What the log says of a file whose job the printer fails, with the real
// reader kumoden-print and the tests' own scheduler. (A job that completes
// is told printed in the pass-end scenarios.)
#include "tests/e2e/e2e_fixture.h"

#include <cups/cups.h>

#include <string>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The jobs a queue has had since the object was made, ended or not.
class QueueJobs {
public:
    explicit QueueJobs(std::string queue) : m_queue(std::move(queue)), m_before(titles().size()) {}
    std::vector<std::string> titles() const
    {
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, m_queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
        std::vector<std::string> all;
        for (int i = 0; i < count; ++i) {
            all.emplace_back(jobs[i].title ? jobs[i].title : "");
        }
        cupsFreeJobs(count, jobs);
        return all;
    }
    std::size_t since() const { return titles().size() - m_before; }

private:
    std::string m_queue;
    std::size_t m_before;
};

class Jobs : public E2e {
protected:
    std::string notPrinted(const std::string& name, const std::string& printer) const
    {
        return "印刷されていません: " + backup(name).string() + ", プリンター「" + printer + "」。";
    }
};

TEST_F(Jobs, AFileThePrinterFailsIsToldNotPrintedOnceAndNeverSentAgain)
{
    writeWatchIni(builtProgram("kumoden-print").string(), "FileSelect=job\r\nPrinterNm=FAIL\r\n");
    const QueueJobs jobs("FAIL");
    drop("job1.pdf");
    drop("job2.pdf");
    start();
    const std::string failed = "プリンターでエラーになりました: kumoden-print: failed at the printer: job ";
    ASSERT_TRUE(eventually(60s, [&] {
        return countOf(log(), notPrinted("job1.pdf", "FAIL") + failed) == 1 &&
               countOf(log(), notPrinted("job2.pdf", "FAIL") + failed) == 1;
    })) << log();
    EXPECT_NE(log().find("(paper jam in tray 2)"), std::string::npos) << log();
    // A later file goes its way, and the earlier ones are neither sent nor told again.
    drop("job3.pdf");
    EXPECT_TRUE(eventually(60s, [&] { return countOf(log(), notPrinted("job3.pdf", "FAIL")) == 1; }))
        << log();
    EXPECT_EQ(kumoden->terminate(), 0);
    EXPECT_EQ(jobs.since(), 3u);
    for (const char* name : {"job1.pdf", "job2.pdf", "job3.pdf"}) {
        EXPECT_EQ(countOf(log(), notPrinted(name, "FAIL")), 1u) << name;
        EXPECT_TRUE(fs::exists(backup(name))) << name;
    }
    EXPECT_EQ(countOf(log(), "印刷しました"), 0u);
}

} // namespace
} // namespace kumoden::test
