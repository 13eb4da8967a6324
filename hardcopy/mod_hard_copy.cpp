#include "hardcopy/mod_hard_copy.h"

#include "model/flag_scope.h"

#include <exception>

namespace kumoden {

ModHardCopy::ModHardCopy(Services services) : m_services(std::move(services)) {}

void ModHardCopy::HookClipboard()
{
    if (m_hooked) {
        return;
    }
    m_hooked = true;
    m_services.watcher.watch([this] { ClipboardChanged(); });
}

void ModHardCopy::UnhookClipboard()
{
    if (!m_hooked) {
        return;
    }
    m_hooked = false;
    m_services.watcher.stop();
}

void ModHardCopy::ClipboardChanged()
{
    if (!m_hooked || m_hardCopyBusy) {
        return;
    }
    const FlagScope busy(m_hardCopyBusy);

    FrmHardCopy& frmHardCopy = m_services.frmHardCopy;
    // A hard copy that fails is abandoned; the program carries on and the
    // next change prints again.
    bool printed = false;
    try {
        frmHardCopy.Load();
        try {
            m_services.desktop.doEvents();
            printed = frmHardCopy.ChangeClipBoard();
        } catch (...) {
            try {
                frmHardCopy.Unload();
            } catch (const std::exception&) {
                // The first failure is the one worth telling.
            }
            throw;
        }
        frmHardCopy.Unload();
    } catch (const std::exception& failure) {
        if (m_services.reportFailure) {
            m_services.reportFailure(failure.what());
        }
        return;
    }
    if (printed && m_services.reportPrinted) {
        m_services.reportPrinted();
    }
}

} // namespace kumoden
