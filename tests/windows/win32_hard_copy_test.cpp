// The hard copy's Win32 backend on the real API (under Wine in CI), for the
// contract suite and for what only Windows has: the clipboard-viewer chain
// with other viewers in it, a drawing on the clipboard, a hard copy on the
// default printer and one on the printer chosen in the printer-setup dialog.
#include "hardcopy/frm_hard_copy.h"
#include "hardcopy/mod_hard_copy.h"
#include "platform/win32/printing/win32_hard_copy.h"
#include "platform/win32/printing/win32_printer_setup.h"
#include "platform/win32/shell/win32_clipboard.h"
#include "platform/win32/shell/win32_clipboard_watcher.h"
#include "platform/win32/shell/win32_desktop.h"
#include "platform/win32/system/wide.h"
#include "tests/contract/hard_copy_driver.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/support/print_outputs.h"
#include "tests/windows/win32_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <utility>

namespace kumoden::win32test {
namespace {

using namespace std::chrono_literals;

// The resident window's procedure as the program has it: the watcher looks
// at every message first.
LRESULT CALLBACK residentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (auto* watcher = reinterpret_cast<Win32ClipboardWatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
        watcher->handleMessage(message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Another program's viewer, written as the platform asks: it counts the
// changes, passes them on and follows the chain when a viewer leaves.
class OtherViewer {
public:
    OtherViewer() : window(HiddenWindow(L"KumodenOtherViewer", procedure, this))
    {
        next = SetClipboardViewer(window);
        joined = true;
    }
    ~OtherViewer()
    {
        leave();
        DestroyWindow(window);
    }
    OtherViewer(const OtherViewer&) = delete;
    OtherViewer& operator=(const OtherViewer&) = delete;

    void leave()
    {
        if (std::exchange(joined, false)) {
            ChangeClipboardChain(window, next);
        }
    }

    HWND window;
    HWND next = nullptr;
    bool joined = false; // not yet while joining: the first notice is the join's
    int changes = 0;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<OtherViewer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr || (message != WM_DRAWCLIPBOARD && message != WM_CHANGECBCHAIN)) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        if (message == WM_CHANGECBCHAIN && reinterpret_cast<HWND>(wParam) == self->next) {
            self->next = reinterpret_cast<HWND>(lParam);
        } else if (self->next != nullptr) {
            SendMessageW(self->next, message, wParam, lParam);
        }
        self->changes += message == WM_DRAWCLIPBOARD && self->joined;
        return 0;
    }
};

HGLOBAL globalCopy(const void* data, std::size_t size)
{
    const HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(global), data, size);
    GlobalUnlock(global);
    return global;
}

// A packed 32-bit bitmap: red on the left half, blue on the right.
std::vector<unsigned char> packedBitmap(int width, int height)
{
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned char> dib(sizeof header + static_cast<std::size_t>(width) * height * 4);
    std::memcpy(dib.data(), &header, sizeof header);
    for (int i = 0; i < width * height; ++i) {
        const bool left = i % width < width / 2;
        // blue, green, red, unused
        dib[sizeof header + static_cast<std::size_t>(i) * 4 + (left ? 2 : 0)] = 255;
    }
    return dib;
}

// The Win32 backends, the clipboard filled by this thread, as another
// program would fill it, and the default printer: the queue PDF.
class Win32HardCopyDriver final : public test::HardCopyDriver {
public:
    Win32HardCopyDriver() : window(HiddenWindow(L"KumodenHardCopyTest", residentProcedure, &m_watcher))
    {
        if (!CanMakeWindows() || window == nullptr) {
            throw std::runtime_error("no window: Wine makes windows with its null graphics driver");
        }
        m_watcher.setWindow(window);
        setup.setWindow(window);
    }
    ~Win32HardCopyDriver() override
    {
        m_watcher.stop();
        DestroyWindow(window);
    }

    Win32ClipboardWatcher& watcher() override { return m_watcher; }
    Clipboard& clipboard() override { return m_clipboard; }
    HardCopyPageView& page() override { return m_page; }
    PagePrinter& printer() override { return m_printer; }

    void putPicture(int width, int height) override { putBitmap(packedBitmap(width, height)); }
    void putText(const std::string& text) override
    {
        const std::wstring wide = ToWide(text);
        putOnClipboard({{CF_UNICODETEXT, globalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t))}});
    }
    void putBrokenPicture() override
    {
        std::vector<unsigned char> dib = packedBitmap(8, 4);
        dib.resize(sizeof(BITMAPINFOHEADER) + 16);
        putBitmap(dib);
    }
    PicturePtr picture(int width, int height) override
    {
        return Win32Picture::fromBitmap(packedBitmap(width, height));
    }
    Seen seen(const Picture& picture) override
    {
        const auto& bitmap = dynamic_cast<const Win32Picture&>(picture);
        const HDC screen = GetDC(nullptr);
        const HDC dc = CreateCompatibleDC(screen);
        const HBITMAP canvas = CreateCompatibleBitmap(screen, bitmap.pixelWidth(), bitmap.pixelHeight());
        const HGDIOBJ previous = SelectObject(dc, canvas);
        bitmap.draw(dc, 0, 0, bitmap.pixelWidth(), bitmap.pixelHeight());
        const bool red = GetPixel(dc, 0, 0) == RGB(255, 0, 0);
        SelectObject(dc, previous);
        DeleteObject(canvas);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return {bitmap.pixelWidth(), bitmap.pixelHeight(), red};
    }
    bool waitFor(std::chrono::milliseconds limit, const std::function<bool()>& condition) override
    {
        return WaitFor(limit, condition);
    }
    void settle() override
    {
        WaitFor(300ms, [] { return false; });
    }

    // Replaces the clipboard's content with the given formats.
    void putOnClipboard(const std::vector<std::pair<UINT, HANDLE>>& formats)
    {
        ASSERT_TRUE(WaitFor(2s, [&] { return OpenClipboard(window) != FALSE; }));
        EmptyClipboard();
        for (const auto& [format, data] : formats) {
            SetClipboardData(format, data);
        }
        CloseClipboard();
    }
    void putBitmap(const std::vector<unsigned char>& dib)
    {
        putOnClipboard({{CF_DIB, globalCopy(dib.data(), dib.size())}});
    }

    HWND window;
    Win32PrinterSetup setup;

private:
    Win32ClipboardWatcher m_watcher;
    Win32Clipboard m_clipboard;
    Win32PagePrinter m_printer{setup};
    Win32HardCopyPage m_page{setup};
};

} // namespace
} // namespace kumoden::win32test

namespace kumoden::test {
std::unique_ptr<HardCopyDriver> MakeHardCopyDriver()
{
    return std::make_unique<win32test::Win32HardCopyDriver>();
}
} // namespace kumoden::test

namespace kumoden::win32test {
namespace {

// The Win32 backends' own cases, each starting the watch when it wants to.
class Win32HardCopyTest : public test::HardCopyCase {
protected:
    void SetUp() override {}

    Win32HardCopyDriver& win = static_cast<Win32HardCopyDriver&>(driver);
};

TEST_F(Win32HardCopyTest, EachChangeReachesTheHandlerAndTheViewersBehindOnceStoppingAndLeavingKeepTheChain)
{
    OtherViewer last;
    OtherViewer other;
    // Watching twice does not join twice: the window would be its own next
    // viewer, and a notice would go round. Joining passes no notice on.
    watch();
    watch();
    EXPECT_EQ(win.watcher().nextViewer(), other.window);
    win.putPicture(8, 4);
    ASSERT_TRUE(WaitFor(5s, [&] { return changes >= 1 && last.changes >= 1; }));
    win.watcher().stop();
    EXPECT_FALSE(win.watcher().watching());
    win.putPicture(8, 4);
    ASSERT_TRUE(WaitFor(5s, [&] { return last.changes >= 2; })) << "the chain was cut when the watch left";
    win.settle();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(other.changes, 2);
    EXPECT_EQ(last.changes, 2);

    // A viewer further on leaves: the notice goes on to the one before it.
    watch();
    const HWND afterLast = last.next;
    last.leave();
    EXPECT_EQ(other.next, afterLast);
    EXPECT_EQ(win.watcher().nextViewer(), other.window);
    // The next viewer leaves: the watcher passes notices to the one after it.
    other.leave();
    EXPECT_EQ(win.watcher().nextViewer(), afterLast);
    win.putPicture(8, 4);
    ASSERT_TRUE(noticed(2));
    win.settle();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(other.changes, 2);
    EXPECT_EQ(last.changes, 2);
}

TEST_F(Win32HardCopyTest, ADrawingWithoutPixelsIsAPictureButNoBitmap)
{
    watch();
    const HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(recorder, 0, 0, 100, 50);
    win.putOnClipboard({{CF_ENHMETAFILE, CloseEnhMetaFile(recorder)}});
    ASSERT_TRUE(noticed(1));
    EXPECT_FALSE(win.clipboard().getFormat(ClipboardFormat::Bitmap));
    EXPECT_NE(win.clipboard().getData()->handle(), 0u);
}

// What the user does in the printer setup: picks the printer in its list
// and presses the button; whether the list had the printer.
bool chooseInSetup(Win32PrinterSetup& setup, const std::wstring& printer, int button = IDOK)
{
    bool picked = false;
    WhileShown(
        L"#32770", [&] { setup.showPrinter(); },
        [&](HWND dialog) {
            for (HWND box = nullptr; !picked && (box = FindWindowExW(dialog, box, L"ComboBox", nullptr));) {
                const LRESULT index = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(printer.c_str()));
                if (index != CB_ERR) {
                    picked = true;
                    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
                    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                                 reinterpret_cast<LPARAM>(box));
                }
            }
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        });
    return picked;
}

// A hard copy through the watch on the printer chosen in the setup, with
// another viewer in the chain: a second change while it runs is dropped,
// and still reaches the other viewer.
TEST_F(Win32HardCopyTest, ThePrinterChosenInThePrinterSetupTakesTheHardCopies)
{
    ASSERT_EQ(test::schedulerProblem(), "");
    ASSERT_TRUE(chooseInSetup(win.setup, L"PDF2")) << "the dialog lists no printer PDF2";
    EXPECT_EQ(win.setup.printerName(), "PDF2");
    // Cancel keeps the printer, whatever was picked before it.
    ASSERT_TRUE(chooseInSetup(win.setup, L"PDF", IDCANCEL));
    EXPECT_EQ(win.setup.printerName(), "PDF2");

    fake::Journal journal;
    fake::FakeDesktop desktop{journal};
    FrmHardCopy frmHardCopy({win.clipboard(), win.page(), win.printer()});
    std::vector<std::string> failures;
    ModHardCopy hook(
        {win.watcher(), desktop, frmHardCopy, [&](const std::string& why) { failures.push_back(why); }});
    OtherViewer other;
    hook.HookClipboard();
    // The second change comes the first time the hard copy lets the
    // queue's messages through.
    bool changedDuring = false;
    Win32Desktop screen;
    desktop.onDoEvents = [&] {
        if (!std::exchange(changedDuring, true)) {
            win.putPicture(64, 32);
        }
        screen.doEvents();
    };
    test::PrintOutputs pdf("PDF", "Kumoden");
    test::PrintOutputs pdf2("PDF2", "Kumoden");
    win.putPicture(64, 32);
    EXPECT_TRUE(WaitFor(30s, [&] { return !pdf2.newFiles().empty() && !pdf2.jobsPending(); }))
        << "no whole job in " << pdf2.newFiles().size() << " new files of "
        << test::printOutputFolder("PDF2");
    EXPECT_TRUE(changedDuring) << "the hard copy let no messages through";
    EXPECT_EQ(other.changes, 2);
    EXPECT_TRUE(failures.empty()) << failures.front();
    EXPECT_FALSE(hook.HardCopyBusy());
    hook.UnhookClipboard();
    EXPECT_FALSE(win.watcher().watching());
    EXPECT_EQ(pdf2.newFiles().size(), 1u);
    EXPECT_TRUE(pdf.newFiles().empty());
}

} // namespace
} // namespace kumoden::win32test
