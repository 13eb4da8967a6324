#include "app/resident_program.h"

#include "app/start_up.h"

#include <utility>

namespace kumoden {

ResidentProgram::ResidentProgram(std::string iniPath, ResidentBackends backends)
    : m_iniPath(std::move(iniPath)), m_backends(std::move(backends)), m_service(m_backends.service, m_info),
      m_notices(m_backends.icon, m_backends.log, m_backends.clock, std::string(kTrayTip), &m_service),
      m_frmHardCopy({m_backends.clipboard, m_backends.hardCopyPage, m_backends.hardCopyPrinter}),
      m_hardCopyReport(m_notices),
      // A hard copy that fails is abandoned; a developer hears why, and the
      // user once for each reason until one prints.
      m_modHardCopy({m_backends.clipboardWatcher, m_backends.desktop, m_frmHardCopy,
                     [this](const std::string& why) {
                         if (m_backends.debugLine) {
                             m_backends.debugLine("kumoden: hard copy abandoned: " + why);
                         }
                         m_hardCopyReport.abandoned(why);
                     },
                     [this] { m_hardCopyReport.printed(); }}),
      // The settings dialog and its pickers, built afresh for every opening.
      m_settingsWindows(m_info,
                        {m_backends.profile, m_iniPath, m_backends.files.separator(), m_backends.tmrFileCheck,
                         m_backends.printers, m_backends.messages, m_backends.folders,
                         [this](const std::string& line) { m_notices.record(line); },
                         m_backends.readerFileName, m_backends.settingsViews})
{
}

bool ResidentProgram::start(const std::function<bool()>& beforeLoad)
{
    const auto loadResident = [&] {
        if (beforeLoad && !beforeLoad()) {
            return;
        }
        ResidentBackends& b = m_backends;
        m_frmDummy.emplace(
            m_info, FrmDummy::Services{m_iniPath,
                                       b.profile,
                                       b.tmrFileCheck,
                                       {b.files, b.sleeper, b.clock, b.launcher, b.printers, b.messages},
                                       b.icon,
                                       b.desktop,
                                       b.popup,
                                       b.about,
                                       b.printerSetup,
                                       m_modHardCopy,
                                       [this] { m_settingsWindows.showSettings(); },
                                       m_notices,
                                       m_service});
        m_frmDummy->Form_Load();
        m_service.ready();
    };
    return Main(m_backends.app, m_iniPath, m_backends.splash, m_backends.sleeper, m_backends.desktop,
                loadResident);
}

void ResidentProgram::tellReaderEnds()
{
    if (m_frmDummy && !m_unloaded) {
        m_frmDummy->tellReaderEnds();
    }
}

void ResidentProgram::unload()
{
    if (m_frmDummy && !m_unloaded) {
        m_unloaded = true;
        m_service.stopping();
        m_frmDummy->Form_Unload();
    }
}

} // namespace kumoden
