// The composition root of the Linux program: builds the backends and hands
// them to the start-up sequence and the resident window.
#include "app/command_line.h"
#include "app/resident_program.h"
#include "app/splash_design.h"
#include "model/settings.h"
#include "platform/common/file_event_log.h"
#include "platform/linux/cups/cups_printer_list.h"
#include "platform/linux/posix/posix_application.h"
#include "platform/linux/posix/posix_file_system.h"
#include "platform/linux/posix/posix_launcher.h"
#include "platform/linux/posix/system_clock.h"
#include "platform/linux/profile/profile_store.h"
#include "platform/linux/qt/distinct_clipboard_watcher.h"
#include "platform/linux/qt/qt_about_view.h"
#include "platform/linux/qt/qt_clipboard.h"
#include "platform/linux/qt/qt_conf_view.h"
#include "platform/linux/qt/qt_desktop.h"
#include "platform/linux/qt/qt_folder_reader.h"
#include "platform/linux/qt/qt_fonts.h"
#include "platform/linux/qt/qt_hard_copy.h"
#include "platform/linux/qt/qt_message_dialog.h"
#include "platform/linux/qt/qt_picker_views.h"
#include "platform/linux/qt/qt_popup_menu.h"
#include "platform/linux/qt/qt_printer_setup.h"
#include "platform/linux/qt/qt_splash.h"
#include "platform/linux/qt/qt_timer.h"
#include "platform/linux/qt/qt_tray_icon.h"
#include "platform/linux/qt/signal_watcher.h"
#include "platform/linux/systemd/journal_log.h"
#include "platform/linux/systemd/systemd_service.h"
#include "platform/linux/wayland/wayland_clipboard.h"
#include "platform/linux/xsmp/session_client.h"
#include "tray/about_design.h"
#include "watch/settings_check.h"
#include "watch/settings_check_text.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

// Without a display that answers, the program still watches and prints,
// just without an icon: every display platform falls back to headless.
// In a Wayland session it runs under XWayland where there is one: there
// its menu is a popup rather than a window the compositor tiles, its
// splash a splash, and on GNOME the clipboard reaches it without the focus
// (wlroots and KDE tell it through their clipboard-manager protocol in
// either case, see the hard copy below). A platform the user chose is kept.
void chooseDisplayPlatform()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (set("QT_QPA_PLATFORM")) {
        return;
    }
    const char* platforms = "offscreen";
    if (set("DISPLAY")) {
        platforms = set("WAYLAND_DISPLAY") ? "xcb;wayland;offscreen" : "xcb;offscreen";
    } else if (set("WAYLAND_DISPLAY")) {
        platforms = "wayland;offscreen";
    }
    setenv("QT_QPA_PLATFORM", platforms, 1);
}

// The clipboard the hard copy reads and hears. Where the compositor has a
// clipboard manager the clipboard is heard through it, whatever window has
// the focus. Qt's own Wayland client reports a change at every focus: there
// the same content again is no change. Headless there is no clipboard to
// hear.
class ClipboardBackends {
public:
    ClipboardBackends()
        : m_headless(QGuiApplication::platformName() == QLatin1String("offscreen")),
          m_dataControl(m_headless ? nullptr : kumoden::DataControl::connect()),
          m_distinctWatcher(m_qtWatcher, kumoden::qtClipboardContent)
    {
        if (m_dataControl) {
            m_wlClipboard.emplace(*m_dataControl);
            m_wlWatcher.emplace(*m_dataControl);
        }
    }

    kumoden::Clipboard& clipboard()
    {
        return m_dataControl ? static_cast<kumoden::Clipboard&>(*m_wlClipboard) : m_qtClipboard;
    }
    kumoden::ClipboardWatcher& watcher()
    {
        if (m_dataControl) {
            return *m_wlWatcher;
        }
        if (QGuiApplication::platformName() == QLatin1String("wayland")) {
            return m_distinctWatcher;
        }
        return m_qtWatcher;
    }

private:
    bool m_headless;
    std::unique_ptr<kumoden::DataControl> m_dataControl;
    kumoden::QtClipboard m_qtClipboard;
    kumoden::QtClipboardWatcher m_qtWatcher;
    kumoden::DistinctClipboardWatcher m_distinctWatcher;
    std::optional<kumoden::WaylandClipboard> m_wlClipboard;
    std::optional<kumoden::WaylandClipboardWatcher> m_wlWatcher;
};

} // namespace

// The backends of the program on Linux, made once Qt runs.
struct LinuxBackends {
    // A request to end (stopDescriptor readable) cuts a printer lookup short.
    LinuxBackends(const std::string& iniPath, char separator, int stopDescriptor)
        : printers(stopDescriptor), desktop(icon),
          // A log that cannot be written is told from the icon, once per outage.
          log(kumoden::LogPath(iniPath, separator), kumoden::FileEventLog::kDefaultCap,
              [this](const std::string& text) { icon.showNotice(std::string(kumoden::kTrayTip), text); }),
          about(kumoden::FrmAboutDesign()), printerSetup(messages), splash(kumoden::FrmStartDesign()),
          hardCopyPage(printerSetup), hardCopyPrinter(printerSetup)
    {
        // Under systemd the log's lines also go to the journal, each with its
        // level.
        if (kumoden::IsJournalStream(std::getenv("JOURNAL_STREAM"), STDERR_FILENO)) {
            journal.emplace(log, STDERR_FILENO);
        }
    }

    kumoden::EventLog& programLog() { return journal ? static_cast<kumoden::EventLog&>(*journal) : log; }

    kumoden::SystemClock clock;
    kumoden::PosixLauncher launcher;
    kumoden::CupsPrinterList printers;
    kumoden::QtMessageDialog messages;
    kumoden::ProfileStore profile;
    kumoden::QtTimer watchTimer;
    kumoden::QtTrayIcon icon;
    kumoden::QtDesktop desktop;
    kumoden::FileEventLog log;
    std::optional<kumoden::JournalEventLog> journal;
    kumoden::SystemdService service;
    kumoden::QtPopupMenu popup;
    kumoden::QtAboutView about;
    kumoden::QtPrinterSetup printerSetup;
    kumoden::QtSplash splash;
    kumoden::QtHardCopyPage hardCopyPage;
    kumoden::QtPagePrinter hardCopyPrinter;
    kumoden::QtFolderReader folders;
    ClipboardBackends clipboards;
    kumoden::Clipboard& clipboard = clipboards.clipboard();
    kumoden::ClipboardWatcher& clipboardWatcher = clipboards.watcher();
};

// What the resident program is given on Linux. The stand-in reader is the
// program the picker looks for; a hard copy that fails is also told on
// stderr.
kumoden::ResidentBackends residentBackends(LinuxBackends& backends, kumoden::Application& app,
                                           kumoden::FileSystem& files, kumoden::Sleeper& sleeper)
{
    using namespace kumoden;
    return ResidentBackends{
        .app = app,
        .files = files,
        .clock = backends.clock,
        .sleeper = sleeper,
        .launcher = backends.launcher,
        .printers = backends.printers,
        .messages = backends.messages,
        .profile = backends.profile,
        .tmrFileCheck = backends.watchTimer,
        .icon = backends.icon,
        .desktop = backends.desktop,
        .log = backends.programLog(),
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
        .settingsViews = MakeSettingsViews<QtConfView, QtFolderPickerView, QtProgramPickerView>(),
        .readerFileName = "kumoden-print",
        .debugLine = [](const std::string& line) { qWarning("%s", line.c_str()); },
    };
}

// The program speaks Japanese; so do Qt's own dialogs (printer setup,
// message box buttons) where their translation is installed.
void speakJapanese(QTranslator& qtTranslation)
{
    if (qtTranslation.load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslation);
    }
}

// The resident program on Qt's event loop, until it is told to end.
int runResident(char** argv, kumoden::PosixApplication& app, kumoden::PosixFileSystem& files,
                const std::string& iniPath)
{
    using namespace kumoden;
    chooseDisplayPlatform();
    // The session's manager is heard by a client of the program's own.
    const std::string sessionManager = SessionClient::takeManagerAddress();
    int qtArgc = 1;
    QApplication qapp(qtArgc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes();
    QTranslator qtTranslation;
    speakJapanese(qtTranslation);

    // SIGTERM, SIGINT, SIGHUP and the session's end unload the resident
    // window; one that comes during the splash ends the start-up after it.
    // A print pass under way ends at its next wait: the sleeper watches
    // the signal's descriptor.
    bool quitRequested = false;
    ThreadSleeper sleeper;
    SignalWatcher signalWatcher({SIGTERM, SIGINT, SIGHUP}, [&](int) {
        quitRequested = true;
        sleeper.requestStop();
        QCoreApplication::quit();
    });
    sleeper.setStopDescriptor(signalWatcher.descriptor());
    // The session's end is told as a SIGTERM, whatever the event loop is doing.
    const auto sessionClient =
        SessionClient::join(sessionManager, "kumoden", [] { kill(getpid(), SIGTERM); });

    LinuxBackends backends(iniPath, files.separator(), signalWatcher.descriptor());
    ResidentProgram program(iniPath, residentBackends(backends, app, files, sleeper));
    // A reader's end is logged as it comes, between ticks too.
    backends.launcher.setEndHandler([&program] {
        QMetaObject::invokeMethod(
            qApp, [&program] { program.tellReaderEnds(); }, Qt::QueuedConnection);
    });
    // systemd's watchdog hears from the event loop while the program idles,
    // and from the waits of a pass while one runs.
    QTimer heartbeat;
    if (const auto interval = SystemdService::watchdogInterval()) {
        QObject::connect(&heartbeat, &QTimer::timeout, [&backends] { backends.service.alive(); });
        heartbeat.start(std::chrono::duration_cast<std::chrono::milliseconds>(*interval / 2));
    }
    if (!program.start()) {
        return 0;
    }
    const int result = quitRequested ? 0 : QApplication::exec();
    program.unload();
    return result;
}

// The settings checked without Qt: files, the scheduler and the INI store
// are all it needs, and nothing of the resident program is made.
int runCheck(kumoden::PosixFileSystem& files, const std::string& iniPath)
{
    using namespace kumoden;
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
    CupsPrinterList printers;
    ProfileStore profile;
    const std::vector<CheckLine> lines = CheckSettings(iniPath, {files, printers, profile});
    const Language language = LanguageOfLocale(variable("LC_ALL"), variable("LC_MESSAGES"), variable("LANG"));
    std::fputs(CheckReport(lines, language).c_str(), stdout);
    return CheckExitCode(lines);
}

int main(int argc, char** argv)
{
    using namespace kumoden;
    // The command line is the program's own: Qt sees none of it, so that it
    // neither takes an option meant for the program nor acts on one.
    const CommandLine command = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (command.action == CommandLine::Action::Refused) {
        std::fprintf(stderr, "%s\n", command.error.c_str());
        return kUsageExitCode;
    }
    if (command.action == CommandLine::Action::Version) {
        std::fputs(VersionText(KUMODEN_VERSION).c_str(), stdout);
        return 0;
    }
    PosixApplication app;
    PosixFileSystem files;
    std::string named;
    if (!command.iniPath.empty()) {
        std::error_code error;
        named = std::filesystem::absolute(command.iniPath, error).lexically_normal().string();
        named = error ? command.iniPath : named;
    }
    const std::string iniPath = IniPath(app, files, named);
    if (command.action == CommandLine::Action::Help) {
        std::fputs(HelpText(iniPath, LogPath(iniPath, files.separator())).c_str(), stdout);
        return 0;
    }
    if (command.action == CommandLine::Action::Check) {
        return runCheck(files, iniPath);
    }

    return runResident(argv, app, files, iniPath);
}
