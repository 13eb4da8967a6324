// The hard copy's Win32 backend on the real API (under Wine in CI): the
// clipboard-viewer chain, the window procedure, the clipboard's pictures,
// a job on the default printer and one on the printer chosen in the
// printer-setup dialog.
#include "hardcopy/frm_hard_copy.h"
#include "hardcopy/mod_hard_copy.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_hard_copy.h"
#include "platform/win32/win32_printer_setup.h"
#include "tests/support/print_outputs.h"
#include "tests/windows/win32_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kumoden::win32test {
namespace {

using namespace std::chrono_literals;

constexpr UINT kAskOwnProcedure = WM_APP + 1;

// The window's own procedure: it answers one message of its own.
LRESULT CALLBACK ownProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == kAskOwnProcedure ? 42 : DefWindowProcW(window, message, wParam, lParam);
}

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
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = ownProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KumodenHardCopyTest";
        RegisterClassExW(&windowClass);
        m_window = CreateWindowExW(WS_EX_TOOLWINDOW, L"KumodenHardCopyTest", L"", WS_OVERLAPPED, 0, 0, 0, 0,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_window, nullptr);
        viewer.setWindow(m_window);
    }
    void TearDown() override
    {
        if (m_window != nullptr) {
            DestroyWindow(m_window);
        }
    }

    // Joins the chain and puts a procedure in front that counts notices.
    void hookCounting()
    {
        next = viewer.setClipboardViewer(viewer.window());
        previous = viewer.setWindowProc(viewer.window(), [this](WindowHandle window, std::uint32_t message,
                                                                MessageParam wParam, MessageLong lParam) {
            notices += message == kDrawClipboardMessage ? 1 : 0;
            return viewer.callWindowProc(previous, window, message, wParam, lParam);
        });
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
    bool noticed(int count)
    {
        return WaitFor(5s, [&] { return notices >= count; });
    }

    HWND m_window = nullptr;
    Win32ClipboardViewer viewer;
    Win32Clipboard clipboard;
    WindowHandle next = 0;
    WindowProcAddress previous = 0;
    int notices = 0;
};

TEST_F(Win32HardCopyTest, EveryChangeReachesTheHookAndItsPictureIsRead)
{
    hookCounting();
    ASSERT_NE(previous, 0u);
    EXPECT_EQ(SendMessageW(m_window, kAskOwnProcedure, 0, 0), 42); // through the hook

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

TEST_F(Win32HardCopyTest, AfterUnhookAndLeavingNoNoticeArrives)
{
    hookCounting();
    EXPECT_NE(viewer.restoreWindowProc(viewer.window(), previous), 0u);
    EXPECT_EQ(SendMessageW(m_window, kAskOwnProcedure, 0, 0), 42);
    EXPECT_TRUE(viewer.changeClipboardChain(viewer.window(), next));
    putBitmap(packedBitmap(8, 4));
    EXPECT_FALSE(noticed(1));

    // Hooked again, the same change is noticed once: the quiet was the unhook's.
    hookCounting();
    putBitmap(packedBitmap(8, 4));
    EXPECT_TRUE(noticed(1));
    WaitFor(300ms, [] { return false; }); // time for a second notice, were one coming
    EXPECT_EQ(notices, 1);
    viewer.restoreWindowProc(viewer.window(), previous);
    viewer.changeClipboardChain(viewer.window(), next);
}

// Prints one hard copy of a bitmap put on the clipboard, through the hook,
// on the setup's current printer; the new files of the queue.
std::vector<std::filesystem::path> printOneHardCopy(Win32HardCopyTest& test, Win32PrinterSetup& setup,
                                                    const std::string& queue)
{
    Win32PagePrinter printer(setup);
    Win32HardCopyPage page(setup);
    Win32Desktop desktop;
    FrmHardCopy frmHardCopy({test.clipboard, page, printer});
    std::vector<std::string> failures;
    ModHardCopy hook(
        {test.viewer, desktop, frmHardCopy, [&](const std::string& why) { failures.push_back(why); }});
    WindowHandle nextViewer = test.viewer.setClipboardViewer(test.viewer.window());
    hook.bindNextViewerWnd(&nextViewer);
    hook.HookClipboard(test.viewer.window());

    test::PrintOutputs outputs(queue, "Kumoden");
    test.putBitmap(packedBitmap(64, 32));
    EXPECT_TRUE(WaitFor(30s, [&] { return !outputs.newFiles().empty() && !outputs.jobsPending(); }))
        << "no whole job in " << outputs.newFiles().size() << " new files of "
        << test::printOutputFolder(queue);
    EXPECT_TRUE(failures.empty()) << failures.front();
    EXPECT_EQ(hook.HardCopyBusy(), kFalse);
    hook.UnhookClipboard(test.viewer.window());
    test.viewer.changeClipboardChain(test.viewer.window(), nextViewer);
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
