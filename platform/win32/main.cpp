// The composition root of the Windows program: builds the backends, hands
// them to the start-up sequence and the resident window, and runs the
// message loop until the window is closed or the session ends.
#include "app/command_line.h"
#include "app/resident_program.h"
#include "app/splash_design.h"
#include "model/settings.h"
#include "platform/common/file_event_log.h"
#include "platform/common/no_service_manager.h"
#include "platform/win32/files/win32_file_system.h"
#include "platform/win32/files/win32_folder_reader.h"
#include "platform/win32/files/win32_profile.h"
#include "platform/win32/forms/win32_conf_view.h"
#include "platform/win32/forms/win32_message_dialog.h"
#include "platform/win32/forms/win32_picker_views.h"
#include "platform/win32/forms/win32_small_forms.h"
#include "platform/win32/printing/win32_hard_copy.h"
#include "platform/win32/printing/win32_printer_list.h"
#include "platform/win32/printing/win32_printer_setup.h"
#include "platform/win32/shell/win32_clipboard.h"
#include "platform/win32/shell/win32_clipboard_watcher.h"
#include "platform/win32/shell/win32_desktop.h"
#include "platform/win32/shell/win32_popup_menu.h"
#include "platform/win32/shell/win32_timer.h"
#include "platform/win32/shell/win32_tray_icon.h"
#include "platform/win32/system/wide.h"
#include "platform/win32/system/win32_application.h"
#include "platform/win32/system/win32_clock.h"
#include "platform/win32/system/win32_launcher.h"
#include "tray/about_design.h"
#include "watch/settings_check.h"
#include "watch/settings_check_text.h"

#include "kumoden_version.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// A hidden top-level window: it is in the clipboard-viewer chain, owns the
// icon's menu, receives the session's end and lets other programs close
// this one by class name. The icon has a window of its own.
constexpr wchar_t kResidentClass[] = L"KumodenResident";

// A clipboard change heard while the print pass waits, for the message loop.
constexpr UINT kDeferredClipboardChange = WM_APP + 1;
// Readers have ended: their ends are logged as they come, between ticks too.
constexpr UINT kReadersEnded = WM_APP + 2;

struct Resident {
    kumoden::Win32TrayIcon& icon;
    kumoden::Win32ClipboardWatcher& watcher;
    kumoden::Win32Sleeper& sleeper;
    kumoden::ResidentProgram& program;

    void unload() { program.unload(); }
};

LRESULT CALLBACK residentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* resident = reinterpret_cast<Resident*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // The print pass handles nothing else while it waits: a clipboard
    // change heard then is handled (and handed on) when the pass is done.
    if (resident != nullptr && message == WM_DRAWCLIPBOARD && resident->sleeper.waiting()) {
        PostMessageW(window, kDeferredClipboardChange, wParam, lParam);
        return 0;
    }
    // The watcher only looks: every message is then handled here as well.
    if (resident != nullptr) {
        resident->watcher.handleMessage(message == kDeferredClipboardChange ? WM_DRAWCLIPBOARD : message,
                                        wParam, lParam);
    }
    switch (message) {
    case kDeferredClipboardChange:
        return 0;
    case kReadersEnded:
        if (resident != nullptr) {
            resident->program.tellReaderEnds();
        }
        return 0;
    case WM_CLOSE:
        // A print pass under way ends at its next wait.
        if (resident != nullptr) {
            resident->sleeper.requestStop();
            resident->unload();
        }
        PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The process may be ended as soon as this returns: inside a print
        // pass that is at one of its waits, where every file is in the
        // watched folder or in the archive.
        if (wParam != FALSE) {
            if (resident != nullptr) {
                resident->sleeper.requestStop();
                resident->unload();
                resident->icon.remove();
            }
            PostQuitMessage(0);
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND createResidentWindow(HINSTANCE instance, Resident& resident)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = residentProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kResidentClass;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kumoden::kProgramIconId));
    if (RegisterClassExW(&windowClass) == 0) {
        return nullptr;
    }
    // Never shown: no WS_VISIBLE, and ShowWindow is not called.
    return CreateWindowExW(WS_EX_TOOLWINDOW, kResidentClass, L"アイコン表示用", WS_OVERLAPPED, 0, 0, 0, 0,
                           nullptr, nullptr, instance, &resident);
}

// The arguments after the program's name, split as the C runtime splits them.
std::vector<std::string> commandArguments()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        result.push_back(kumoden::ToUtf8(arguments[i]));
    }
    LocalFree(arguments);
    return result;
}

// A windowed program has no console of its own: the text goes to the
// handle it was given (a pipe or a file), else to the console of the
// program that started it, else into a message box.
void tell(DWORD stream, const std::string& text)
{
    HANDLE handle = GetStdHandle(stream);
    DWORD written = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_CHAR) {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::wstring wide = kumoden::ToWide(text);
    if (AttachConsole(ATTACH_PARENT_PROCESS) != 0) {
        handle = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
            CloseHandle(handle);
            return;
        }
    }
    MessageBoxW(nullptr, wide.c_str(), L"Kumoden",
                MB_OK | (stream == STD_ERROR_HANDLE ? MB_ICONERROR : MB_ICONINFORMATION));
}

// The full path of a file named on the command line.
std::string fullPath(const std::string& path)
{
    const std::wstring wide = kumoden::ToWide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(length < size ? length : 0);
    return full.empty() ? path : kumoden::ToUtf8(full);
}

} // namespace

// The backends of the program on Windows.
struct WindowsBackends {
    WindowsBackends(const std::string& iniPath, char separator)
        : // A log that cannot be written is told from the icon, once per outage.
          log(kumoden::LogPath(iniPath, separator), kumoden::FileEventLog::kDefaultCap,
              [this](const std::string& text) { icon.showNotice(std::string(kumoden::kTrayTip), text); }),
          about(kumoden::FrmAboutDesign()), splash(kumoden::FrmStartDesign()), hardCopyPage(printerSetup),
          hardCopyPrinter(printerSetup)
    {
    }

    kumoden::Win32Clock clock;
    kumoden::Win32Sleeper sleeper;
    kumoden::Win32Launcher launcher;
    kumoden::Win32PrinterList printers;
    kumoden::Win32MessageDialog messages;
    kumoden::Win32Profile profile;
    kumoden::Win32Timer watchTimer;
    kumoden::Win32Desktop desktop;
    kumoden::Win32TrayIcon icon;
    kumoden::FileEventLog log;
    // Windows has no service manager to tell of the program's state.
    kumoden::NoServiceManager service;
    kumoden::Win32PopupMenu popup;
    kumoden::Win32PrinterSetup printerSetup;
    kumoden::Win32AboutView about;
    kumoden::Win32Splash splash;
    kumoden::Win32Clipboard clipboard;
    kumoden::Win32ClipboardWatcher clipboardWatcher;
    kumoden::Win32HardCopyPage hardCopyPage;
    kumoden::Win32PagePrinter hardCopyPrinter;
    kumoden::Win32FolderReader folders;
};

// What the resident program is given on Windows. The program picker looks
// for the real reader; a hard copy that fails is also told to a debugger.
kumoden::ResidentBackends residentBackends(WindowsBackends& backends, kumoden::Application& app,
                                           kumoden::FileSystem& files)
{
    using namespace kumoden;
    return ResidentBackends{
        .app = app,
        .files = files,
        .clock = backends.clock,
        .sleeper = backends.sleeper,
        .launcher = backends.launcher,
        .printers = backends.printers,
        .messages = backends.messages,
        .profile = backends.profile,
        .tmrFileCheck = backends.watchTimer,
        .icon = backends.icon,
        .desktop = backends.desktop,
        .log = backends.log,
        .service = backends.service,
        .popup = backends.popup,
        .about = backends.about,
        .printerSetup = backends.printerSetup,
        .splash = backends.splash,
        .clipboard = backends.clipboard,
        .clipboardWatcher = backends.clipboardWatcher,
        .hardCopyPage = backends.hardCopyPage,
        .hardCopyPrinter = backends.hardCopyPrinter,
        .folders = backends.folders,
        .settingsViews = MakeSettingsViews<Win32ConfView, Win32FolderPickerView, Win32ProgramPickerView>(),
        .readerFileName = "acrord32.exe",
        .debugLine = [](const std::string& line) { OutputDebugStringW(ToWide(line + "\n").c_str()); },
    };
}

// Until WM_QUIT: its exit code, or 1 when the loop failed.
int runMessageLoop()
{
    MSG message{};
    int result = 0;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return result < 0 ? 1 : static_cast<int>(message.wParam);
}

// The resident program on the message loop, until its window is closed or
// the session ends.
int runResident(HINSTANCE instance, kumoden::Win32Application& app, kumoden::Win32FileSystem& files,
                const std::string& iniPath)
{
    using namespace kumoden;
    WindowsBackends backends(iniPath, files.separator());
    ResidentProgram program(iniPath, residentBackends(backends, app, files));
    Resident resident{backends.icon, backends.clipboardWatcher, backends.sleeper, program};
    HWND window = nullptr;
    const bool started = program.start([&] {
        window = createResidentWindow(instance, resident);
        if (window == nullptr) {
            return false;
        }
        backends.desktop.setWindow(window);
        backends.clipboardWatcher.setWindow(window);
        backends.popup.setWindow(window);
        backends.printerSetup.setWindow(window);
        backends.launcher.setEndHandler([window] { PostMessageW(window, kReadersEnded, 0, 0); });
        return true;
    });
    if (!started) {
        return 0; // one instance per INI
    }
    if (window == nullptr) {
        return 1;
    }
    const int result = runMessageLoop();
    resident.unload();
    backends.icon.remove();
    DestroyWindow(window);
    return result;
}

// The settings checked, told as --help is told; nothing of the resident
// program is made. English where the user's interface language is.
int runCheck(kumoden::Win32FileSystem& files, const std::string& iniPath)
{
    using namespace kumoden;
    Win32PrinterList printers;
    Win32Profile profile;
    const std::vector<CheckLine> lines = CheckSettings(iniPath, {files, printers, profile});
    const bool english = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ENGLISH;
    tell(STD_OUTPUT_HANDLE, CheckReport(lines, english ? Language::english : Language::japanese));
    return CheckExitCode(lines);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    using namespace kumoden;
    const CommandLine command = ParseCommandLine(commandArguments());
    if (command.action == CommandLine::Action::Refused) {
        tell(STD_ERROR_HANDLE, command.error + "\n");
        return kUsageExitCode;
    }
    if (command.action == CommandLine::Action::Version) {
        tell(STD_OUTPUT_HANDLE, VersionText(KUMODEN_VERSION_TEXT));
        return 0;
    }
    Win32Application app;
    Win32FileSystem files;
    const std::string iniPath =
        IniPath(app, files, command.iniPath.empty() ? std::string() : fullPath(command.iniPath));
    if (command.action == CommandLine::Action::Help) {
        tell(STD_OUTPUT_HANDLE, HelpText(iniPath, LogPath(iniPath, files.separator())));
        return 0;
    }
    if (command.action == CommandLine::Action::Check) {
        return runCheck(files, iniPath);
    }
    return runResident(instance, app, files, iniPath);
}
