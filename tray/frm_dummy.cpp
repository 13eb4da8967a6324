#include "tray/frm_dummy.h"

#include "watch/watch_cycle.h"

namespace kumoden {

FrmDummy::FrmDummy(FileCheckInfo& info, Services services) : m_info(info), m_services(services)
{
    m_services.tmrFileCheck.setHandler([this] { tmrFileCheck_Timer(); });
}

void FrmDummy::Form_Load()
{
    LoadSettings(m_info, m_services.profile, IniPath(m_services.app, m_services.watch.files.separator()));
    m_services.tmrFileCheck.setInterval(m_info.FileChkTime);
}

void FrmDummy::Form_Unload()
{
    m_services.tmrFileCheck.setInterval(0);
}

void FrmDummy::tmrFileCheck_Timer()
{
    if (m_tickRunning) {
        return;
    }
    m_tickRunning = true;
    RunWatchCycle(m_info, m_services.watch);
    m_tickRunning = false;
}

} // namespace kumoden
