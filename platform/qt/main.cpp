// The composition root of the Linux program: builds the backends and hands
// them to the resident window.
#include "app/settings.h"
#include "platform/cups/cups_printer_list.h"
#include "platform/posix/posix_application.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_launcher.h"
#include "platform/posix/system_clock.h"
#include "platform/profile/profile_store.h"
#include "platform/qt/qt_message_dialog.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/signal_watcher.h"
#include "tray/frm_dummy.h"

#include <QApplication>

#include <csignal>
#include <cstdlib>

namespace {

// Without a display that answers, the program still watches and prints,
// just without an icon: every display platform falls back to headless.
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
    if (set("WAYLAND_DISPLAY")) {
        platforms = "wayland;xcb;offscreen";
    } else if (set("DISPLAY")) {
        platforms = "xcb;offscreen";
    }
    setenv("QT_QPA_PLATFORM", platforms, 1);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace kumoden;
    chooseDisplayPlatform();
    QApplication qapp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    PosixApplication app;
    PosixFileSystem files;
    SystemClock clock;
    ThreadSleeper sleeper;
    PosixLauncher launcher;
    CupsPrinterList printers;
    QtMessageDialog messages;
    ProfileStore profile;
    QtTimer tmrFileCheck;

    FileCheckInfo info;
    FrmDummy frmDummy(info,
                      {app, profile, tmrFileCheck, {files, sleeper, clock, launcher, printers, messages}});

    bool unloaded = false;
    auto unload = [&] {
        if (!unloaded) {
            unloaded = true;
            frmDummy.Form_Unload();
        }
    };
    QObject::connect(&qapp, &QCoreApplication::aboutToQuit, unload);
    SignalWatcher signalWatcher({SIGTERM, SIGINT, SIGHUP}, [](int) { QCoreApplication::quit(); });

    frmDummy.Form_Load();
    return QApplication::exec();
}
