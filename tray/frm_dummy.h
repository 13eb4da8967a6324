#pragma once

#include "hardcopy/mod_hard_copy.h"
#include "model/notices.h"
#include "model/service_status.h"
#include "model/settings.h"
#include "platform/desktop.h"
#include "platform/forms.h"
#include "platform/profile.h"
#include "platform/timer.h"
#include "platform/tray_icon.h"
#include "watch/backup_purge.h"
#include "watch/reader_ends.h"
#include "watch/watch_services.h"

#include <functional>
#include <string>
#include <string_view>

namespace kumoden {

// The icon's tip.
inline constexpr std::string_view kTrayTip = "PDF印刷ツール";

// The resident window: it is never shown. It owns the icon in the
// notification area, the watch timer and the icon's menu, and brings the
// program into its working state when it loads.
class FrmDummy {
public:
    struct Services {
        // The settings file, as IniPath found it.
        std::string iniPath;
        Profile& profile;
        Timer& tmrFileCheck;
        WatchServices watch;
        TrayIcon& icon;
        Desktop& desktop;
        PopupMenuView& popup;
        AboutView& about;
        PrinterSetupDialog& printerSetup;
        // The hard copy's hook on the clipboard.
        ModHardCopy& hardCopy;
        // Shows the settings dialog modally; nothing while there is none.
        std::function<void()> showSettings;
        // What the user is told of failures, and the log.
        Notices& notices;
        // What the service manager hears: that the program is alive, at
        // every tick and every wait of a pass, and what it watches.
        ServiceStatus& service;
    };

    FrmDummy(FileCheckInfo& info, Services services);
    ~FrmDummy();
    FrmDummy(const FrmDummy&) = delete;
    FrmDummy& operator=(const FrmDummy&) = delete;

    // Adds the icon, reads the settings, arms the watch timer and hooks the
    // clipboard for the hard copy.
    void Form_Load();
    // Runs when the platform takes the window away (session end, SIGTERM):
    // the clipboard is unhooked; the icon stays.
    void Form_Unload();
    // One tick of the watch timer.
    void tmrFileCheck_Timer();

    // What the user asked of the icon: its action opens the version box,
    // the context request the menu.
    void Picture1_Action(TrayAction action);
    void ShowPopupMenu();
    // An entry of the menu, by position, chosen in the program's menu or in
    // the one a tray host draws.
    void RunMenuCommand(int position);

    void mnuConf_Click();
    void mnuPrint_Click();
    void mnuVer_Click();
    // Stops the watch timer, removes the icon, unhooks the clipboard and
    // ends the process at once: does not return, and no tick runs after it.
    void mnuEnd_Click();

    const FileCheckInfo& settings() const { return m_info; }
    // Logs the reader ends seen so far, each with its own moment: at the
    // waits and the end of a tick, and whenever the launcher says.
    void tellReaderEnds();

    bool PopupActive() const { return m_popupActive; }
    bool DialogOpen() const { return m_dialogOpen; }

private:
    // Tells the user what keeps the watch from working with the settings
    // read, once per cause; a cause that went is cleared. False when the
    // reader named in the settings is not there.
    bool checkWatchSetup();
    // Tells the user, once, that the settings file cannot be read.
    void checkSettingsFile();
    // Runs a command that opens a window, unless one is open already.
    void withDialogGuard(const std::function<void()>& open);

    FileCheckInfo& m_info;
    Services m_services;
    bool m_popupActive = false;
    // Program-wide: one window at a time opens from the menu.
    bool m_dialogOpen = false;
    // A message box shown inside a tick runs the event loop; a tick that
    // falls due meanwhile is dropped rather than run inside the first.
    bool m_tickRunning = false;
    // The readers started and not yet seen to end.
    ReaderEnds m_readers;
    // What the purge remembers of the archive between ticks.
    BackupPurge m_purge;
    WatchMemory m_watchMemory;
};

} // namespace kumoden
