#pragma once

#include "app/settings.h"
#include "platform/application.h"
#include "platform/profile.h"
#include "platform/timer.h"
#include "watch/watch_services.h"

namespace kumoden {

// The resident window: it is never shown. It owns the watch timer and
// brings the program into its working state when it loads.
class FrmDummy {
public:
    struct Services {
        Application& app;
        Profile& profile;
        Timer& tmrFileCheck;
        WatchServices watch;
    };

    FrmDummy(FileCheckInfo& info, Services services);
    FrmDummy(const FrmDummy&) = delete;
    FrmDummy& operator=(const FrmDummy&) = delete;

    // Reads the settings and arms the watch timer with FileChkTime.
    void Form_Load();
    // Runs when the platform takes the window away (session end, SIGTERM).
    void Form_Unload();
    // One tick of the watch timer.
    void tmrFileCheck_Timer();

    const FileCheckInfo& settings() const { return m_info; }

private:
    FileCheckInfo& m_info;
    Services m_services;
    // A message box shown inside a tick runs the event loop; a tick that
    // falls due meanwhile is dropped rather than run inside the first.
    bool m_tickRunning = false;
};

} // namespace kumoden
