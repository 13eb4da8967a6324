// kumoden.exe of the Windows build under Wine (no display) with a real PDF
// reader: SumatraPDF, fetched by scripts/fetch-sumatra.sh from the npm
// registry and checked by its hash. It prints into the raw cups-pdf queue
// RAW of the tests' own scheduler, which Wine lists as a printer; the
// output's pages are rendered coarsely and compared with the input's.
#include "tests/support/pdf.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wine_drive.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The text in the Japanese code page, as the program reads its INI.
std::string cp932(const std::string& utf8)
{
    iconv_t convert = iconv_open("CP932", "UTF-8");
    std::string in = utf8;
    std::string out(in.size() * 2 + 1, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t fromLeft = in.size();
    std::size_t toLeft = out.size();
    const std::size_t done = iconv(convert, &from, &fromLeft, &to, &toLeft);
    iconv_close(convert);
    EXPECT_NE(done, static_cast<std::size_t>(-1)) << utf8;
    out.resize(out.size() - toLeft);
    return out;
}

// One page of a PDF rendered in grey at 12 dots an inch.
std::vector<unsigned char> greyPage(const fs::path& pdf, int page, const fs::path& folder)
{
    fs::create_directories(folder);
    const fs::path stem = folder / ("page" + std::to_string(page));
    const RunResult rendered =
        runProgram({"pdftoppm", "-r", "12", "-gray", "-singlefile", "-f", std::to_string(page), "-l",
                    std::to_string(page), pdf.string(), stem.string()});
    EXPECT_EQ(rendered.exitCode, 0) << rendered.err;
    std::ifstream in(stem.string() + ".pgm", std::ios::binary);
    std::string magic;
    int width = 0;
    int height = 0;
    int top = 0;
    in >> magic >> width >> height >> top;
    in.get();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return in ? pixels : std::vector<unsigned char>{};
}

// The share of pixels that differ plainly between two renderings.
double difference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.empty() || a.size() != b.size()) {
        return 1.0;
    }
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        differing += std::abs(a[i] - b[i]) > 64 ? 1 : 0;
    }
    return static_cast<double>(differing) / static_cast<double>(a.size());
}

int pageCount(const fs::path& pdf)
{
    const RunResult info = runProgram({"pdfinfo", pdf.string()});
    const auto at = info.out.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.out.c_str() + at + 6);
}

class WineSumatra : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* build = std::getenv("KUMODEN_WIN_BUILD_DIR");
        const char* reader = std::getenv("KUMODEN_SUMATRA");
        ASSERT_TRUE(build != nullptr && reader != nullptr) << "KUMODEN_WIN_BUILD_DIR and KUMODEN_SUMATRA";
        m_winBuild = build;
        ASSERT_TRUE(fs::exists(m_winBuild / "kumoden.exe")) << m_winBuild;
        ASSERT_TRUE(fs::exists(m_winBuild / "wineprefix" / "system.reg"))
            << "no Wine prefix in " << m_winBuild;
        ASSERT_TRUE(fs::exists(reader)) << reader << " (scripts/fetch-sumatra.sh fetches it)";
        ASSERT_EQ(schedulerProblem(), "");
        fs::create_directories(app());
        fs::create_directories(in());
        fs::create_directories(readerPath().parent_path());
        fs::copy_file(m_winBuild / "kumoden.exe", app() / "kumoden.exe");
        fs::copy_file(reader, readerPath());
        wine({"wineserver", "-k"});
    }
    void TearDown() override
    {
        m_kumoden.reset();
        wine({"wineserver", "-k"});
        EXPECT_EQ(wine({"wineserver", "-w"}).exitCode, 0) << "the prefix's wine server does not end";
    }

    fs::path app() const { return m_dir.path() / "app"; }
    // A watched folder and a reader's folder with a blank, Japanese in one.
    fs::path in() const { return m_dir.path() / "受信 フォルダ"; }
    fs::path readerPath() const { return m_dir.path() / "Sumatra PDF" / "SumatraPDF-3.3.3-64.exe"; }
    std::string log() const { return readFile(app() / "kumoden.log"); }

    std::vector<std::string> wineEnv() const
    {
        return {"WINEPREFIX=" + (m_winBuild / "wineprefix").string(),
                "WINEDEBUG=-all",
                "WINEDLLOVERRIDES=mscoree,mshtml=",
                "LOCPATH=" + (m_winBuild / "locale").string(),
                "LC_ALL=ja_JP.UTF-8",
                "DISPLAY="};
    }
    RunResult wine(const std::vector<std::string>& command) { return runProgram(command, wineEnv(), 30s); }

    // The program on files starting with 請求書, with SumatraPDF as its reader.
    void startPrintingOn(const std::string& printer)
    {
        m_kumoden.reset();
        wine({"wineserver", "-k"});
        std::ofstream(app() / "kumoden.INI", std::ios::binary)
            << cp932("[FileCheck_Info]\r\nFileChkTime=300\r\nFileChkDir=" + UnderWine(in().string()) +
                     "\r\nFileSelect=請求書\r\nAcrExeDir=" + UnderWine(readerPath().string()) +
                     "\r\nPrinterNm=" + printer + "\r\n");
        m_kumoden = std::make_unique<Process>(
            std::vector<std::string>{"wine", (app() / "kumoden.exe").string()}, wineEnv());
    }
    std::string archived(const std::string& name) const
    {
        return UnderWine((in() / "BackPdf" / name).string());
    }

    TempDir m_dir;
    fs::path m_winBuild;
    std::unique_ptr<Process> m_kumoden;
};

// A three-page invoice dropped into the watched folder comes out of the
// queue once, with its three pages; a printer the system does not know
// makes the reader fail, which the log tells naming the file, once.
TEST_F(WineSumatra, AFileIsPrintedOnceWithItsPagesAndAReaderThatFailsIsToldNamingTheFile)
{
    PrintOutputs printed("RAW");
    startPrintingOn("RAW");
    const fs::path dropped = in() / "請求書_001.pdf";
    const TempDir renders;
    std::ofstream(renders.path() / "input.pdf", std::ios::binary) << pagesPdf(3);
    fs::copy_file(renders.path() / "input.pdf", dropped);

    const auto outputs = printed.waitForNew(120s, 1);
    ASSERT_EQ(outputs.size(), 1u) << log();
    ASSERT_EQ(pageCount(outputs[0]), 3);
    for (int page = 1; page <= 3; ++page) {
        const auto out = greyPage(outputs[0], page, renders.path() / "out");
        EXPECT_LT(difference(greyPage(renders.path() / "input.pdf", page, renders.path()), out), 0.03)
            << page;
        // The comparison tells pages apart.
        EXPECT_GT(difference(greyPage(renders.path() / "input.pdf", page % 3 + 1, renders.path()), out),
                  0.05);
    }
    // Ticks go on: the file is not printed again.
    std::this_thread::sleep_for(5s);
    EXPECT_EQ(printed.newFiles().size(), 1u);
    EXPECT_TRUE(fs::exists(in() / "BackPdf" / "請求書_001.pdf"));
    EXPECT_EQ(countOf(log(), "(" + archived("請求書_001.pdf") + ", プリンター「RAW」)"), 1u) << log();
    EXPECT_TRUE(eventually(10s, [&] {
        return countOf(log(), "印刷システムに渡しました: " + archived("請求書_001.pdf")) == 1;
    })) << log();
    EXPECT_EQ(countOf(log(), "印刷されていません"), 0u) << log();

    startPrintingOn("NOPE");
    fs::copy_file(renders.path() / "input.pdf", in() / "請求書_002.pdf");
    const std::string failed =
        "印刷されていません: " + archived("請求書_002.pdf") +
        ", プリンター「NOPE」。印刷プログラムが印刷システムに渡せませんでした: 終了コード 1";
    EXPECT_TRUE(eventually(90s, [&] { return countOf(log(), failed) == 1; })) << log();
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(countOf(log(), failed), 1u);
    EXPECT_EQ(printed.newFiles().size(), 1u);
}

} // namespace
} // namespace kumoden::test
