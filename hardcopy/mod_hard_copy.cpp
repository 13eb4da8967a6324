#include "hardcopy/mod_hard_copy.h"

#include <exception>

namespace kumoden {

ModHardCopy::ModHardCopy(Services services) : m_services(std::move(services)) {}

void ModHardCopy::HookClipboard(WindowHandle hWnd)
{
    // A window that refuses the replacement answers 0: no hook, and a later
    // unhook has nothing to put back.
    m_prevWndProc = m_services.viewer.setWindowProc(
        hWnd, [this](WindowHandle window, std::uint32_t message, MessageParam wParam, MessageLong lParam) {
            return ClipboardWndProc(window, message, wParam, lParam);
        });
}

void ModHardCopy::UnhookClipboard(WindowHandle hWnd)
{
    if (m_prevWndProc == 0) {
        return;
    }
    m_services.viewer.restoreWindowProc(hWnd, m_prevWndProc);
    m_prevWndProc = 0;
}

MessageResult ModHardCopy::ClipboardWndProc(WindowHandle hWnd, std::uint32_t uMsg, MessageParam wParam,
                                            MessageLong lParam)
{
    // The procedure this one stands in front of, even if the hook goes while
    // a hard copy runs.
    const WindowProcAddress previous = m_prevWndProc;
    ClipboardViewer& viewer = m_services.viewer;

    // A change that comes during a hard copy is passed on but not printed,
    // nor remembered.
    if (m_hardCopyBusy == kFalse && uMsg == kDrawClipboardMessage) {
        hardCopy();
    }
    if (uMsg == kDrawClipboardMessage && nextViewer() != 0) {
        viewer.sendMessage(nextViewer(), uMsg, wParam, lParam);
    }
    // A viewer leaving the chain: follow it when it is the next one, so that
    // the viewers behind it still hear of every change.
    if (uMsg == kChangeClipboardChainMessage && m_nextViewerWnd != nullptr) {
        if (wParam == *m_nextViewerWnd) {
            *m_nextViewerWnd = static_cast<WindowHandle>(lParam);
        } else if (*m_nextViewerWnd != 0) {
            viewer.sendMessage(*m_nextViewerWnd, uMsg, wParam, lParam);
        }
    }
    return viewer.callWindowProc(previous, hWnd, uMsg, wParam, lParam);
}

void ModHardCopy::hardCopy()
{
    struct Busy {
        Flag& flag;
        explicit Busy(Flag& f) : flag(f) { flag = kTrue; }
        ~Busy() { flag = kFalse; }
    } busy{m_hardCopyBusy};

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
