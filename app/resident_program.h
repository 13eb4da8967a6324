#pragma once

#include "hardcopy/frm_hard_copy.h"
#include "hardcopy/hard_copy_report.h"
#include "hardcopy/mod_hard_copy.h"
#include "model/notices.h"
#include "model/service_status.h"
#include "model/settings.h"
#include "platform/application.h"
#include "platform/clipboard.h"
#include "platform/clipboard_watcher.h"
#include "platform/event_log.h"
#include "platform/folder_reader.h"
#include "platform/forms.h"
#include "platform/hard_copy_page.h"
#include "settings_ui/settings_windows.h"
#include "tray/frm_dummy.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace kumoden {

// Everything a platform gives the resident program: one backend for each
// facility, made by the platform's main and outliving the program.
struct ResidentBackends {
    Application& app;
    FileSystem& files;
    Clock& clock;
    Sleeper& sleeper;
    Launcher& launcher;
    PrinterList& printers;
    MessageDialog& messages;
    Profile& profile;
    Timer& tmrFileCheck;
    TrayIcon& icon;
    Desktop& desktop;
    EventLog& log;
    // The service manager that runs the program, where there is one.
    ServiceManager& service;
    PopupMenuView& popup;
    AboutView& about;
    PrinterSetupDialog& printerSetup;
    SplashView& splash;
    // The hard copy: the clipboard it reads and hears, its page and the
    // printing of it.
    Clipboard& clipboard;
    ClipboardWatcher& clipboardWatcher;
    HardCopyPageView& hardCopyPage;
    PagePrinter& hardCopyPrinter;
    // The settings dialog and its pickers.
    const FolderReader& folders;
    SettingsViews settingsViews;
    // The file name the program picker looks for: the platform's reader.
    std::string readerFileName;
    // Where a developer hears of a hard copy that was abandoned (a line
    // without its line end).
    std::function<void(const std::string&)> debugLine;
};

// The resident program put together from a platform's backends: the
// notices, the hard copy, the settings dialog and the resident window,
// started by the start-up sequence.
class ResidentProgram {
public:
    ResidentProgram(std::string iniPath, ResidentBackends backends);
    ResidentProgram(const ResidentProgram&) = delete;
    ResidentProgram& operator=(const ResidentProgram&) = delete;

    // The start-up sequence, then the resident window loads and the service
    // manager hears that the program is ready; beforeLoad,
    // where given, runs first and may refuse it (false: the window stays
    // unloaded). False when this process is a second instance on the same
    // INI and must end at once.
    bool start(const std::function<bool()>& beforeLoad = {});
    // Whether the resident window has loaded.
    bool loaded() const { return m_frmDummy.has_value(); }
    // Unloads the resident window once, telling the service manager that
    // the program ends; nothing when it has not loaded.
    void unload();
    // Readers have ended (the launcher said so): their ends are logged now.
    void tellReaderEnds();

private:
    std::string m_iniPath;
    ResidentBackends m_backends;
    FileCheckInfo m_info;
    ServiceStatus m_service;
    Notices m_notices;
    FrmHardCopy m_frmHardCopy;
    HardCopyReport m_hardCopyReport;
    ModHardCopy m_modHardCopy;
    SettingsWindows m_settingsWindows;
    std::optional<FrmDummy> m_frmDummy;
    bool m_unloaded = false;
};

} // namespace kumoden
