// The hard copy's Win32 backend on the real API (under Wine in CI): the
// clipboard-viewer chain with other viewers in it, the clipboard's
// pictures, a job on the default printer and one on the printer chosen in
// the printer-setup dialog.
#include "hardcopy/frm_hard_copy.h"
#include "hardcopy/mod_hard_copy.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_clipboard_watcher.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_hard_copy.h"
#include "platform/win32/win32_printer_setup.h"
#include "tests/support/print_outputs.h"
#include "tests/windows/win32_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
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

HWND hiddenWindow(const wchar_t* className, WNDPROC procedure, void* data)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    return window;
}

// Another program's viewer, written as the platform asks: it counts the
// changes, passes them on and follows the chain when a viewer leaves.
class OtherViewer {
public:
    OtherViewer() : window(hiddenWindow(L"KumodenOtherViewer", procedure, this))
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
        if (joined) {
            joined = false;
            ChangeClipboardChain(window, next);
        }
    }

    HWND window;
    HWND next = nullptr;
    bool joined = false;
    int changes = 0;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<OtherViewer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == WM_DRAWCLIPBOARD) {
            self->changes += self->joined ? 1 : 0;
            if (self->next != nullptr) {
                SendMessageW(self->next, message, wParam, lParam);
            }
            return 0;
        }
        if (self != nullptr && message == WM_CHANGECBCHAIN) {
            if (reinterpret_cast<HWND>(wParam) == self->next) {
                self->next = reinterpret_cast<HWND>(lParam);
            } else if (self->next != nullptr) {
                SendMessageW(self->next, message, wParam, lParam);
            }
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
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
std::vector<unsigned char> packedBitmap(int width, int height, std::size_t cutTo = 0)
{
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::vector<unsigned char> dib(sizeof header + static_cast<std::size_t>(width) * height * 4);
    std::memcpy(dib.data(), &header, sizeof header);
    for (int i = 0; i < width * height; ++i) {
        const bool left = i % width < width / 2;
        const unsigned char on = 255;
        const unsigned char off = 0;
        const unsigned char pixel[4] = {left ? off : on, off, left ? on : off,
                                        off}; // blue, green, red, unused
        std::memcpy(dib.data() + sizeof header + static_cast<std::size_t>(i) * 4, pixel, 4);
    }
    if (cutTo != 0) {
        dib.resize(cutTo);
    }
    return dib;
}

class Win32HardCopyTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(CanMakeWindows()) << "Wine makes windows with its null graphics driver";
        m_window = hiddenWindow(L"KumodenHardCopyTest", residentProcedure, &watcher);
        ASSERT_NE(m_window, nullptr);
        watcher.setWindow(m_window);
    }
    void TearDown() override
    {
        watcher.stop();
        DestroyWindow(m_window);
    }

    // Replaces the clipboard's content with the given formats.
    void putOnClipboard(const std::vector<std::pair<UINT, HANDLE>>& formats)
    {
        ASSERT_TRUE(WaitFor(2s, [&] { return OpenClipboard(m_window) != FALSE; }));
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
    // Watches, counting the changes.
    void watchCounting()
    {
        ASSERT_TRUE(watcher.watch([this] { ++changes; }));
    }
    bool noticed(int count)
    {
        return WaitFor(5s, [&] { return changes >= count; });
    }
    // Time for a notice that should not come, were one coming.
    static void settle()
    {
        WaitFor(300ms, [] { return false; });
    }

    HWND m_window = nullptr;
    Win32ClipboardWatcher watcher;
    Win32Clipboard clipboard;
    int changes = 0;
};

TEST_F(Win32HardCopyTest, EachChangeReachesTheHandlerAndTheViewersBehindOnceAndLeavingIsFollowed)
{
    OtherViewer last;
    OtherViewer other;
    // A bitmap there before the watch: joining tells of no change.
    putBitmap(packedBitmap(8, 4));
    ASSERT_TRUE(WaitFor(5s, [&] { return last.changes == 1; })) << "the viewers' own chain does not work";
    other.changes = last.changes = 0;
    watchCounting();
    EXPECT_EQ(watcher.nextViewer(), other.window);
    settle();
    EXPECT_EQ(changes, 0);

    putBitmap(packedBitmap(8, 4));
    ASSERT_TRUE(WaitFor(5s, [&] { return changes >= 1 && last.changes >= 1; }));
    settle();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(other.changes, 1);
    EXPECT_EQ(last.changes, 1);

    // A viewer further on leaves: the notice goes on to the one before it.
    const HWND afterLast = last.next;
    last.leave();
    EXPECT_EQ(other.next, afterLast);
    EXPECT_EQ(watcher.nextViewer(), other.window);
    // The next viewer leaves: the watcher passes notices to the one after it.
    other.leave();
    EXPECT_EQ(watcher.nextViewer(), afterLast);
    putBitmap(packedBitmap(8, 4));
    ASSERT_TRUE(noticed(2));
    settle();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(other.changes, 1);
    EXPECT_EQ(last.changes, 1);
}

TEST_F(Win32HardCopyTest, AfterStopTheOtherViewersStillHearAndTheHandlerNoLonger)
{
    OtherViewer other;
    watchCounting();
    putBitmap(packedBitmap(8, 4));
    ASSERT_TRUE(noticed(1));
    watcher.stop();
    EXPECT_FALSE(watcher.watching());
    putBitmap(packedBitmap(8, 4));
    ASSERT_TRUE(WaitFor(5s, [&] { return other.changes >= 2; })) << "the chain was cut when the watch left";
    settle();
    EXPECT_EQ(changes, 1);

    // Watching again joins again; watching twice does not join twice (the
    // window would be its own next viewer, and a notice would go round).
    watchCounting();
    watchCounting();
    EXPECT_EQ(watcher.nextViewer(), other.window);
    putBitmap(packedBitmap(8, 4));
    ASSERT_TRUE(noticed(2));
    settle();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(other.changes, 3);
}

TEST_F(Win32HardCopyTest, TheClipboardsPicturesAreReadAsTheyAre)
{
    watchCounting();
    putBitmap(packedBitmap(8, 4));
    ASSERT_TRUE(noticed(1));
    EXPECT_FALSE(clipboard.getFormat(ClipboardFormat::Text));
    EXPECT_TRUE(clipboard.getFormat(ClipboardFormat::Bitmap));
    const PicturePtr bitmap = clipboard.getData();
    ASSERT_NE(bitmap->handle(), 0u);
    EXPECT_EQ(dynamic_cast<const Win32Picture&>(*bitmap).pixelWidth(), 8);

    const wchar_t text[] = L"テキスト";
    putOnClipboard({{CF_UNICODETEXT, globalCopy(text, sizeof text)}});
    ASSERT_TRUE(noticed(2));
    EXPECT_TRUE(clipboard.getFormat(ClipboardFormat::Text));
    EXPECT_FALSE(clipboard.getFormat(ClipboardFormat::Bitmap));
    EXPECT_EQ(clipboard.getData()->handle(), 0u);

    // A drawing and no pixels: a picture, but no bitmap.
    const HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(recorder, 0, 0, 100, 50);
    putOnClipboard({{CF_ENHMETAFILE, CloseEnhMetaFile(recorder)}});
    ASSERT_TRUE(noticed(3));
    EXPECT_FALSE(clipboard.getFormat(ClipboardFormat::Bitmap));
    EXPECT_NE(clipboard.getData()->handle(), 0u);

    // A bitmap whose header promises more pixels than it brings is none.
    putBitmap(packedBitmap(8, 4, sizeof(BITMAPINFOHEADER) + 16));
    ASSERT_TRUE(noticed(4));
    EXPECT_EQ(clipboard.getData()->handle(), 0u);
}

// The screen's desktop, with something done the first time the hard copy
// lets the queue's messages through.
class DesktopDuringHardCopy final : public Desktop {
public:
    double twipsPerPixelX() const override { return m_real.twipsPerPixelX(); }
    double twipsPerPixelY() const override { return m_real.twipsPerPixelY(); }
    double screenWidth() const override { return m_real.screenWidth(); }
    double screenHeight() const override { return m_real.screenHeight(); }
    Rect taskbarRect() const override { return m_real.taskbarRect(); }
    Rect notificationRect() const override { return m_real.notificationRect(); }
    void setForegroundWindow() override {}
    void doEvents() override
    {
        if (const std::function<void()> once = std::exchange(during, {})) {
            once();
        }
        m_real.doEvents();
    }
    [[noreturn]] void endProcess() override { m_real.endProcess(); }

    std::function<void()> during;

private:
    Win32Desktop m_real;
};

// Prints one hard copy of a bitmap put on the clipboard, through the
// watch, on the setup's current printer, with another viewer in the chain;
// the new files of the queue. A second change while the hard copy runs is
// dropped, and still reaches the other viewer.
std::vector<std::filesystem::path> printOneHardCopy(Win32HardCopyTest& test, Win32PrinterSetup& setup,
                                                    const std::string& queue)
{
    Win32PagePrinter printer(setup);
    Win32HardCopyPage page(setup);
    DesktopDuringHardCopy desktop;
    FrmHardCopy frmHardCopy({test.clipboard, page, printer});
    std::vector<std::string> failures;
    ModHardCopy hook(
        {test.watcher, desktop, frmHardCopy, [&](const std::string& why) { failures.push_back(why); }});
    OtherViewer other;
    hook.HookClipboard();
    desktop.during = [&] { test.putBitmap(packedBitmap(64, 32)); };

    test::PrintOutputs outputs(queue, "Kumoden");
    test.putBitmap(packedBitmap(64, 32));
    EXPECT_TRUE(WaitFor(30s, [&] { return !outputs.newFiles().empty() && !outputs.jobsPending(); }))
        << "no whole job in " << outputs.newFiles().size() << " new files of "
        << test::printOutputFolder(queue);
    EXPECT_FALSE(desktop.during) << "the hard copy let no messages through";
    EXPECT_EQ(other.changes, 2);
    EXPECT_TRUE(failures.empty()) << failures.front();
    EXPECT_FALSE(hook.HardCopyBusy());
    hook.UnhookClipboard();
    EXPECT_FALSE(test.watcher.watching());
    return outputs.newFiles();
}

TEST_F(Win32HardCopyTest, ABitmapIsPrintedOnTheDefaultPrinter)
{
    ASSERT_EQ(test::schedulerProblem(), "");
    Win32PrinterSetup setup;
    Win32PagePrinter printer(setup);
    const std::int32_t width = printer.pageWidth();
    EXPECT_GT(width, 5000);
    EXPECT_GT(printer.pageHeight(), width / 2);

    // The default printer is the queue PDF of the tests' own scheduler.
    EXPECT_EQ(setup.printerName(), "PDF");
    EXPECT_EQ(printOneHardCopy(*this, setup, "PDF").size(), 1u);
}

// The printer-setup dialog of this thread, once it is open.
HWND openSetupDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) {
            wchar_t name[16]{};
            GetClassNameW(window, name, 16);
            if (std::wstring(name) == L"#32770") {
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// What the user does in the dialog: picks a printer in its list and
// presses OK (or Cancel). Runs from a timer inside the dialog's own loop; a
// dialog still open 20 seconds on is closed, and the test fails.
struct SetupDialogUser {
    explicit SetupDialogUser(std::wstring name, int pressed = IDOK)
        : printer(std::move(name)), button(pressed)
    {
    }

    std::wstring printer;
    int button;
    bool picked = false;
    bool closedByForce = false;

    void showSetup(Win32PrinterSetup& setup)
    {
        current = this;
        m_until = std::chrono::steady_clock::now() + 20s;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, act);
        setup.showPrinter();
        KillTimer(nullptr, timer);
        current = nullptr;
        EXPECT_FALSE(closedByForce) << "the dialog did not close on its button";
    }

private:
    static BOOL CALLBACK pick(HWND child, LPARAM data)
    {
        auto& user = *reinterpret_cast<SetupDialogUser*>(data);
        wchar_t name[16]{};
        GetClassNameW(child, name, 16);
        if (std::wstring(name) != L"ComboBox") {
            return TRUE;
        }
        const LRESULT index = SendMessageW(child, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(user.printer.c_str()));
        if (index == CB_ERR) {
            return TRUE;
        }
        SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(GetParent(child), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(child));
        user.picked = true;
        return FALSE;
    }
    static void CALLBACK act(HWND, UINT, UINT_PTR, DWORD)
    {
        SetupDialogUser* user = current;
        const HWND dialog = openSetupDialog();
        if (user == nullptr || dialog == nullptr) {
            return;
        }
        if (!user->m_acted) {
            user->m_acted = true;
            EnumChildWindows(dialog, pick, reinterpret_cast<LPARAM>(user));
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(user->button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, user->button)));
        } else if (std::chrono::steady_clock::now() > user->m_until) {
            user->closedByForce = true;
            EndDialog(dialog, IDCANCEL);
        }
    }

    static inline SetupDialogUser* current = nullptr;
    bool m_acted = false;
    std::chrono::steady_clock::time_point m_until;
};

TEST_F(Win32HardCopyTest, ThePrinterChosenInThePrinterSetupTakesTheHardCopies)
{
    ASSERT_EQ(test::schedulerProblem(), "");
    Win32PrinterSetup setup;
    setup.setWindow(m_window);
    SetupDialogUser choosePdf2(L"PDF2");
    choosePdf2.showSetup(setup);
    ASSERT_TRUE(choosePdf2.picked) << "the dialog lists no printer PDF2";
    EXPECT_EQ(setup.printerName(), "PDF2");

    // Cancel keeps the printer, whatever was picked before it.
    SetupDialogUser cancelOnPdf(L"PDF", IDCANCEL);
    cancelOnPdf.showSetup(setup);
    ASSERT_TRUE(cancelOnPdf.picked);
    EXPECT_EQ(setup.printerName(), "PDF2");

    test::PrintOutputs defaultQueue("PDF", "Kumoden");
    EXPECT_EQ(printOneHardCopy(*this, setup, "PDF2").size(), 1u);
    EXPECT_TRUE(defaultQueue.newFiles().empty());
}

} // namespace
} // namespace kumoden::win32test
