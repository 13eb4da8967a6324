// What a hard copy costs: from a 1920 × 1080 picture put on the clipboard
// by another program to the job handed to the scheduler, through the real
// hook, clipboard, page form and printer (an X server of its own, the
// cups-pdf queue PDF); and the memory the program holds after 20 of them.
// Needs Xvfb, xclip and the tests' own scheduler: run it with the variables
// of scripts/test-print-system.sh env, as scripts/test.sh does.
#include "hardcopy/frm_hard_copy.h"
#include "hardcopy/mod_hard_copy.h"
#include "platform/linux/qt/qt_clipboard.h"
#include "platform/linux/qt/qt_hard_copy.h"
#include "platform/linux/qt/qt_message_dialog.h"
#include "platform/linux/qt/qt_printer_setup.h"
#include "tests/integration/hard_copy_test_support.h"
#include "tests/support/pdf.h"
#include "tests/support/print_outputs.h"
#include "tests/support/process.h"
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_display.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPrinter>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

namespace kumoden::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// Only the event processing of a hard copy is asked of the desktop.
class EventsOnly final : public Desktop {
public:
    double twipsPerPixelX() const override { return 15; }
    double twipsPerPixelY() const override { return 15; }
    double screenWidth() const override { return 0; }
    double screenHeight() const override { return 0; }
    Rect taskbarRect() const override { return {}; }
    Rect notificationRect() const override { return {}; }
    void setForegroundWindow() override {}
    void doEvents() override { QCoreApplication::processEvents(); }
    [[noreturn]] void endProcess() override { std::_Exit(0); }
};

// The page form, noting when each job has been handed over.
class TimedPage final : public HardCopyPageView {
public:
    explicit TimedPage(QtHardCopyPage& page) : m_page(page) {}

    void load(const PageFormDesign& design) override { m_page.load(design); }
    void unload() override { m_page.unload(); }
    void setPicture(PicturePtr picture) override { m_page.setPicture(std::move(picture)); }
    float boxWidth() const override { return m_page.boxWidth(); }
    float boxHeight() const override { return m_page.boxHeight(); }
    void setBoxWidth(float twips) override { m_page.setBoxWidth(twips); }
    void setBoxHeight(float twips) override { m_page.setBoxHeight(twips); }
    float formWidth() const override { return m_page.formWidth(); }
    float formHeight() const override { return m_page.formHeight(); }
    void setFormWidth(float twips) override { m_page.setFormWidth(twips); }
    void setFormHeight(float twips) override { m_page.setFormHeight(twips); }
    void printForm() override
    {
        m_page.printForm();
        handedOver = Clock::now();
        ++jobs;
    }

    std::optional<Clock::time_point> handedOver;
    int jobs = 0;

private:
    QtHardCopyPage& m_page;
};

// Something like a screen: gradients, panels and lines of text.
QImage screenLikePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(30, 60, 120));
    sky.setColorAt(1, QColor(200, 220, 240));
    painter.fillRect(picture.rect(), sky);
    for (int i = 0; i < 12; ++i) {
        const QRect panel(40 + i * 150, 60 + (i % 4) * 230, 420, 300);
        painter.fillRect(panel, QColor(240, 240, 240));
        painter.setPen(QColor(20, 20, 20));
        for (int line = 0; line < 14; ++line) {
            painter.drawText(
                panel.left() + 10, panel.top() + 24 + line * 19,
                QStringLiteral("ハードコピー line %1 of panel %2: the quick brown fox").arg(line).arg(i));
        }
    }
    return picture;
}

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

// The program's side of the hard copy, hooked to a clipboard of its own.
// Notes when a change notice arrives, then hands it on.
class NotingWatcher final : public ClipboardWatcher {
public:
    NotingWatcher(ClipboardWatcher& inner, std::optional<Clock::time_point>& noticed)
        : m_inner(inner), m_noticed(noticed)
    {
    }
    bool watch(ChangeHandler changed) override
    {
        return m_inner.watch([this, changed = std::move(changed)] {
            m_noticed = Clock::now();
            changed();
        });
    }
    void stop() override { m_inner.stop(); }

private:
    ClipboardWatcher& m_inner;
    std::optional<Clock::time_point>& m_noticed;
};

class Bench {
public:
    // Made on first use, gone before the program's end: Qt's own statics
    // must still be there when it goes.
    static Bench& instance()
    {
        if (!s_bench) {
            s_bench.reset(new Bench);
        }
        return *s_bench;
    }
    static void shutDown() { s_bench.reset(); }

    // One clipboard change: the time from xclip's start to the job handed
    // over, and from the notice to the job; nothing when none was printed.
    std::optional<std::pair<double, double>> oneHardCopy()
    {
        const int before = page.jobs;
        noticed.reset();
        const auto start = Clock::now();
        test::Process xclip({test::installedProgram("xclip").string(), "-selection", "clipboard", "-t",
                             "image/png", "-i", pictures[before % 2].string()},
                            {"DISPLAY=" + server.name()});
        const auto end = start + 10s;
        while (page.jobs == before && Clock::now() < end) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(1ms);
        }
        if (page.jobs == before || !noticed) {
            return std::nullopt;
        }
        const auto ms = [](Clock::duration d) {
            return std::chrono::duration<double, std::milli>(d).count();
        };
        return std::make_pair(ms(*page.handedOver - start), ms(*page.handedOver - *noticed));
    }

    // Waits, untimed, for the scheduler to be done with the jobs so far, so
    // that its Ghostscript does not run beside the next hard copy.
    static void letTheQueueFinish(const test::HardCopyOutputs& outputs)
    {
        test::eventually(60s, [&] { return !outputs.jobsPending(); });
    }

    test::XServer server;
    test::TempDir dir;

private:
    static inline std::unique_ptr<Bench> s_bench;
    int m_argc = 1;
    char m_name[16] = "bench_hard_copy";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app = makeApp();
    // The files this run prints go with it.
    test::HardCopyOutputs m_printed;
    EventsOnly m_desktop;

public:
    QtMessageDialog messages;
    QtPrinterSetup setup{messages};
    QtClipboard clipboard;
    QtClipboardWatcher qtWatcher;
    NotingWatcher watcher{qtWatcher, noticed};
    QtHardCopyPage qtPage{setup};
    TimedPage page{qtPage};
    QtPagePrinter printer{setup};
    FrmHardCopy frmHardCopy{{clipboard, page, printer}};
    ModHardCopy hook{{watcher, m_desktop, frmHardCopy, [](const std::string& why) {
                          std::fprintf(stderr, "hard copy abandoned: %s\n", why.c_str());
                      }}};
    std::optional<Clock::time_point> noticed;
    fs::path pictures[2];

private:
    Bench()
    {
        setup.currentPrinter().setPrinterName(QString::fromStdString(test::kHardCopyQueue));
        hook.HookClipboard();
        const QImage screen = screenLikePicture(1920, 1080);
        for (int i = 0; i < 2; ++i) {
            pictures[i] = dir.path() / ("screen" + std::to_string(i) + ".png");
            QImage variant = screen;
            variant.setPixelColor(i, 0, Qt::red);
            variant.save(QString::fromStdString(pictures[i].string()), "PNG");
        }
    }

    std::unique_ptr<QApplication> makeApp()
    {
        setenv("DISPLAY", server.name().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        return std::make_unique<QApplication>(m_argc, m_argv);
    }
};

void BM_ClipboardChangeToJobHandedOver(benchmark::State& state)
{
    if (const std::string problem = test::schedulerProblem(); !problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    Bench& bench = Bench::instance();
    double fromNotice = 0;
    for (auto _ : state) {
        const test::HardCopyOutputs outputs;
        const auto times = bench.oneHardCopy();
        if (!times) {
            state.SkipWithError("no hard copy was printed");
            return;
        }
        state.SetIterationTime(times->first / 1000);
        fromNotice += times->second;
        Bench::letTheQueueFinish(outputs);
    }
    state.counters["notice_to_job_ms"] = fromNotice / static_cast<double>(state.iterations());
}

// Bare Qt for comparison: decode the PNG and print it, no clipboard.
void BM_BareQtDecodeAndPrint(benchmark::State& state)
{
    Bench& bench = Bench::instance();
    QPrinter& printer = bench.setup.currentPrinter();
    for (auto _ : state) {
        const test::HardCopyOutputs outputs;
        const auto start = Clock::now();
        const QImage picture(QString::fromStdString(bench.pictures[0].string()));
        QPainter painter(&printer);
        painter.drawImage(QRectF(0, 0, 9000, 6000), picture);
        painter.end();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        Bench::letTheQueueFinish(outputs);
    }
}

void BM_MemoryAfterTwentyHardCopies(benchmark::State& state)
{
    if (const std::string problem = test::schedulerProblem(); !problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    Bench& bench = Bench::instance();
    for (auto _ : state) {
        // The first one loads what every later one shares (print plugin,
        // fonts, the scheduler's printer details).
        bench.oneHardCopy();
        const std::size_t heapBefore = heapInUse();
        const long rssBefore = residentKilobytes();
        for (int i = 0; i < 20; ++i) {
            const test::HardCopyOutputs outputs;
            if (!bench.oneHardCopy()) {
                state.SkipWithError("no hard copy was printed");
                return;
            }
            Bench::letTheQueueFinish(outputs);
        }
        state.SetIterationTime(1);
        state.counters["heap_before_kb"] = static_cast<double>(heapBefore) / 1024;
        state.counters["heap_after_kb"] = static_cast<double>(heapInUse()) / 1024;
        state.counters["heap_growth_kb"] =
            (static_cast<double>(heapInUse()) - static_cast<double>(heapBefore)) / 1024;
        state.counters["rss_before_kb"] = static_cast<double>(rssBefore);
        state.counters["rss_after_kb"] = static_cast<double>(residentKilobytes());
    }
}

BENCHMARK(BM_ClipboardChangeToJobHandedOver)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_BareQtDecodeAndPrint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_MemoryAfterTwentyHardCopies)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
} // namespace kumoden::bench

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    kumoden::bench::Bench::shutDown();
    return 0;
}
