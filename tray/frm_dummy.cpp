#include "tray/frm_dummy.h"

#include "model/flag_scope.h"
#include "tray/popup_placement.h"
#include "watch/cycle_report.h"
#include "watch/watch_cycle.h"
#include "watch/watch_setup.h"

#include <algorithm>
#include <vector>

namespace kumoden {
namespace {

// The popup menu "mnuPopup1", by position.
enum MenuPosition {
    mnuConf = 0,
    mnuDummy = 1,
    mnuPrint = 2,
    mnuDummy0 = 3,
    mnuVer = 4,
    mnuDummy1 = 5,
    mnuEnd = 6
};

const std::vector<MenuEntry>& popupEntries()
{
    static const std::vector<MenuEntry> entries{
        {"環境設定(&C)"}, {"-"}, {"ハードコピー用（プリンター設定）"}, {"-"}, {"バージョン情報(&V)"}, {"-"},
        {"終了(&E)"},
    };
    return entries;
}

} // namespace

FrmDummy::FrmDummy(FileCheckInfo& info, Services services) : m_info(info), m_services(std::move(services))
{
    m_services.tmrFileCheck.setHandler([this] { tmrFileCheck_Timer(); });
    m_services.icon.setActionHandler([this](TrayAction action) { Picture1_Action(action); });
    m_services.icon.setHostMenu(popupEntries(), [this](int position) { RunMenuCommand(position); });
    m_services.popup.setEntries(popupEntries());
}

FrmDummy::~FrmDummy() = default;

void FrmDummy::Form_Load()
{
    m_services.icon.add(std::string(kTrayTip));
    LoadSettings(m_info, m_services.profile, m_services.iniPath);
    m_services.tmrFileCheck.setInterval(m_info.FileChkTime);
    checkSettingsFile();
    checkWatchSetup();
    m_services.hardCopy.HookClipboard();
}

void FrmDummy::checkSettingsFile()
{
    if (const auto problem = SettingsFileProblem(m_services.iniPath, m_services.watch.files)) {
        m_services.notices.fail(std::string(problem->cause), problem->text);
    } else {
        m_services.notices.clear(std::string(kSettingsFileCause));
    }
}

bool FrmDummy::checkWatchSetup()
{
    const std::vector<WatchSetupProblem> problems = WatchSetupProblems(m_info, m_services.watch.files);
    for (const std::string_view cause : kWatchSetupCauses) {
        const bool still =
            std::any_of(problems.begin(), problems.end(),
                        [&](const WatchSetupProblem& problem) { return problem.cause == cause; });
        if (!still) {
            m_services.notices.clear(std::string(cause));
        }
    }
    for (const WatchSetupProblem& problem : problems) {
        m_services.notices.fail(std::string(problem.cause), problem.text);
    }
    return std::none_of(problems.begin(), problems.end(),
                        [](const WatchSetupProblem& problem) { return problem.cause == kReaderCause; });
}

void FrmDummy::Form_Unload()
{
    m_services.hardCopy.UnhookClipboard();
    m_services.tmrFileCheck.setInterval(0);
}

void FrmDummy::tmrFileCheck_Timer()
{
    if (m_tickRunning) {
        return;
    }
    m_tickRunning = true;
    m_services.service.alive();
    // The folder may go and come back, the reader be removed or installed:
    // each tick tells what changed. While the reader cannot be started the
    // files wait in the watched folder.
    const bool readerThere = checkWatchSetup();
    CycleReport report(WatchedPath(m_info.FileChkDir, m_services.watch.files.separator()), m_info,
                       m_services.notices, &m_readers);
    // Readers end on their own time: the pass's waits and the tick's end
    // tell of those that have. A pass of many files is alive at each wait.
    EndsAtWaits waits(m_services.watch.sleeper, [this] {
        tellReaderEnds();
        m_services.service.alive();
    });
    const WatchServices& watch = m_services.watch;
    WatchServices services{watch.files, waits, watch.clock, watch.launcher, watch.printers, watch.messages};
    RunWatchCycle(m_info, services, report, m_purge, m_watchMemory, readerThere);
    tellReaderEnds();
    m_services.service.refresh();
    m_tickRunning = false;
}

void FrmDummy::tellReaderEnds()
{
    m_readers.report(m_services.watch.launcher.takeEnded(), m_services.notices);
    // A backup is kept for its reader while the reader is followed.
    m_watchMemory.archive.beingRead = m_readers.files();
}

void FrmDummy::Picture1_Action(TrayAction action)
{
    switch (action) {
    case TrayAction::Activate:
        mnuVer_Click();
        break;
    case TrayAction::Context:
        if (!m_popupActive) {
            ShowPopupMenu();
        }
        break;
    case TrayAction::PrimaryClick:
        break;
    }
}

void FrmDummy::ShowPopupMenu()
{
    Desktop& desktop = m_services.desktop;
    const PopupPlacement placement =
        PlacePopup(desktop.taskbarRect(), desktop.notificationRect(), desktop.screenWidth(),
                   desktop.screenHeight(), desktop.twipsPerPixelX(), desktop.twipsPerPixelY());
    desktop.setForegroundWindow();
    desktop.doEvents();

    m_popupActive = true;
    m_services.popup.setDefaultEntry(mnuConf);
    const int chosen = m_services.popup.track(placement);
    m_popupActive = false;
    RunMenuCommand(chosen);
}

void FrmDummy::RunMenuCommand(int position)
{
    switch (position) {
    case mnuConf:
        mnuConf_Click();
        break;
    case mnuPrint:
        mnuPrint_Click();
        break;
    case mnuVer:
        mnuVer_Click();
        break;
    case mnuEnd:
        mnuEnd_Click();
        break;
    default:
        break;
    }
}

void FrmDummy::withDialogGuard(const std::function<void()>& open)
{
    if (m_dialogOpen) {
        return;
    }
    // A window that fails to open must not leave the menu's windows locked.
    const FlagScope dialogOpen(m_dialogOpen);
    open();
}

void FrmDummy::mnuConf_Click()
{
    withDialogGuard([this] {
        if (m_services.showSettings) {
            m_services.showSettings();
            // The dialog may have read new settings.
            checkSettingsFile();
            checkWatchSetup();
            m_services.service.refresh();
        }
    });
}

void FrmDummy::mnuPrint_Click()
{
    withDialogGuard([this] { m_services.printerSetup.showPrinter(); });
}

void FrmDummy::mnuVer_Click()
{
    withDialogGuard([this] { m_services.about.showModal(); });
}

void FrmDummy::mnuEnd_Click()
{
    // No tick may start on the way out, whatever the steps below do.
    m_services.tmrFileCheck.setInterval(0);
    m_services.icon.remove();
    // Unhooking leaves the platform's clipboard chain too: a viewer that
    // ends without leaving it cuts the viewers behind it off from every
    // later change.
    m_services.hardCopy.UnhookClipboard();
    m_services.desktop.endProcess();
}

} // namespace kumoden
