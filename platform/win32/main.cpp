// The composition root of the Windows program: builds the backends, hands
// them to the start-up sequence and the resident window, and runs the
// message loop until the window is closed or the session ends.
#include "app/settings.h"
#include "app/splash_design.h"
#include "app/start_up.h"
#include "hardcopy/hard_copy_report.h"
#include "platform/log/file_event_log.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_application.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_conf_view.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_hard_copy.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_message_dialog.h"
#include "platform/win32/win32_picker_views.h"
#include "platform/win32/win32_popup_menu.h"
#include "platform/win32/win32_printer_list.h"
#include "platform/win32/win32_printer_setup.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_small_forms.h"
#include "platform/win32/win32_timer.h"
#include "platform/win32/win32_tray_icon.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_conf.h"
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"
#include "tray/about_design.h"
#include "tray/frm_dummy.h"

#include <windows.h>

#include <optional>

namespace {

// A hidden top-level window: it owns the icon and its menu, receives the
// session's end and lets other programs close this one by class name.
constexpr wchar_t kResidentClass[] = L"KumodenResident";

struct Resident {
    kumoden::Win32TrayIcon& icon;
    std::optional<kumoden::FrmDummy>& form;
    bool unloaded = false;

    void unload()
    {
        if (form && !unloaded) {
            unloaded = true;
            form->Form_Unload();
        }
    }
};

LRESULT CALLBACK residentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* resident = reinterpret_cast<Resident*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (resident != nullptr && resident->icon.handleMessage(message, wParam, lParam)) {
        return 0;
    }
    switch (message) {
    case WM_CLOSE:
        if (resident != nullptr) {
            resident->unload();
        }
        PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The process may be ended as soon as this returns.
        if (wParam != FALSE) {
            if (resident != nullptr) {
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
    return CreateWindowExW(WS_EX_TOOLWINDOW, kResidentClass, L"Kumoden", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                           nullptr, instance, &resident);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    using namespace kumoden;
    Win32Application app;
    Win32FileSystem files;
    Win32Clock clock;
    Win32Sleeper sleeper;
    Win32Launcher launcher;
    Win32PrinterList printers;
    Win32MessageDialog messages;
    Win32Profile profile;
    Win32Timer tmrFileCheck;
    Win32Desktop desktop;
    Win32TrayIcon icon(desktop);
    FileEventLog log(LogPath(app, files.separator()));
    Notices notices(icon, log, clock, std::string(kTrayTip));
    Win32PopupMenu popup;
    Win32PrinterSetup cdlPrintSet;
    Win32AboutView frmAbout(FrmAboutDesign());
    Win32Splash frmStart(FrmStartDesign());
    // The hard copy prints every bitmap put on the clipboard on cdlPrintSet's
    // printer.
    Win32Clipboard clipboard;
    Win32ClipboardViewer clipboardViewer;
    Win32HardCopyPage frmHardCopyView(cdlPrintSet);
    Win32PagePrinter hardCopyPrinter(cdlPrintSet);
    FrmHardCopy frmHardCopy({clipboard, frmHardCopyView, hardCopyPrinter});
    // A hard copy that fails is abandoned; a debugger hears why, and the
    // user once for each reason until one prints.
    HardCopyReport hardCopyReport(notices);
    ModHardCopy modHardCopy({clipboardViewer, desktop, frmHardCopy,
                             [&](const std::string& why) {
                                 OutputDebugStringW(
                                     ToWide("kumoden: hard copy abandoned: " + why + "\n").c_str());
                                 hardCopyReport.abandoned(why);
                             },
                             [&] { hardCopyReport.printed(); }});

    FileCheckInfo info;
    // Every opening builds the settings dialog and its pickers afresh.
    const auto showFolderPicker = [&](TextField& objRetField) {
        Win32FolderPickerView view(FrmFileDesign());
        FrmFile frmFile(view, messages);
        frmFile.objRetField = &objRetField;
        frmFile.Show();
    };
    const auto showProgramPicker = [&](TextField& objRetField) {
        Win32ProgramPickerView view(FrmExeDesign());
        FrmExe frmExe(view, messages, "acrord32.exe", files.separator());
        frmExe.objRetField = &objRetField;
        frmExe.Show();
    };
    const auto showSettings = [&] {
        Win32ConfView view(FrmConfDesign());
        FrmConf frmConf(info, {view, profile, app, files.separator(), tmrFileCheck, printers, messages,
                               showFolderPicker, showProgramPicker,
                               [&](const std::string& line) { notices.record(line); }});
        frmConf.Show();
    };
    std::optional<FrmDummy> frmDummy;
    Resident resident{icon, frmDummy};
    HWND window = nullptr;
    const auto loadResident = [&] {
        window = createResidentWindow(instance, resident);
        if (window == nullptr) {
            return;
        }
        desktop.setWindow(window);
        clipboardViewer.setWindow(window);
        icon.setWindow(window);
        popup.setWindow(window);
        cdlPrintSet.setWindow(window);
        frmDummy.emplace(info, FrmDummy::Services{app,
                                                  profile,
                                                  tmrFileCheck,
                                                  {files, sleeper, clock, launcher, printers, messages},
                                                  icon,
                                                  desktop,
                                                  popup,
                                                  frmAbout,
                                                  cdlPrintSet,
                                                  clipboardViewer,
                                                  modHardCopy,
                                                  showSettings,
                                                  notices});
        frmDummy->Form_Load();
    };
    if (!Main(app, frmStart, sleeper, desktop, loadResident)) {
        return 0; // one instance per copy of the program
    }
    if (window == nullptr) {
        return 1;
    }

    MSG message{};
    int result = 0;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    resident.unload();
    icon.remove();
    DestroyWindow(window);
    return result < 0 ? 1 : static_cast<int>(message.wParam);
}
