#include "platform/win32/forms/win32_picker_views.h"

#include "platform/win32/system/wide.h"

namespace kumoden {

template <typename View>
Win32PickerBase<View>::Win32PickerBase(const FormDesign& design)
    : m_form(design), m_driveList(m_form.control("Drive")), m_dirList(m_form.control("DirList"))
{
    // Neither a default nor a cancel button; the close button closes the
    // window and tells nobody.
    Win32Form::Handlers handlers;
    handlers.command = [this](std::string_view control, int code) { command(control, code); };
    handlers.keyDown = [this](int keyCode, int) { return keyDown(keyCode); };
    handlers.drawItem = [this](std::string_view, const DRAWITEMSTRUCT& item) { m_dirList.draw(item); };
    m_form.setHandlers(std::move(handlers));
}

template <typename View> void Win32PickerBase<View>::raise(const std::function<void()>& event)
{
    if (event) {
        event();
    }
}

template <typename View> void Win32PickerBase<View>::command(std::string_view control, int code)
{
    if (control == "Drive") {
        // While the list is open the arrow keys only browse it: the drive
        // changes once it closes on one.
        if ((code == CBN_SELCHANGE && !driveListOpen()) || code == CBN_CLOSEUP) {
            raise(m_events.driveChange);
        }
    } else if (control == "DirList") {
        if (code == LBN_DBLCLK) {
            // The handler rebuilds the list: the path is taken first.
            const std::string path = m_dirList.highlighted();
            if (!path.empty() && m_events.dirListOpen) {
                m_events.dirListOpen(path);
            }
        }
    } else if (code == BN_CLICKED) {
        raise(control == "cmdExec" ? m_events.execClick : m_events.cancelClick);
    }
}

template <typename View> bool Win32PickerBase<View>::keyDown(int keyCode)
{
    if (keyCode != VK_RETURN && keyCode != VK_ESCAPE) {
        return false;
    }
    if (driveListOpen()) {
        return false;
    }
    const HWND focus = GetFocus();
    if (keyCode == VK_RETURN && focus == m_form.control("DirList")) {
        const std::string path = m_dirList.highlighted();
        if (!path.empty() && m_events.dirListOpen) {
            m_events.dirListOpen(path);
        }
    }
    return true;
}

template <typename View> bool Win32PickerBase<View>::driveListOpen() const
{
    return SendMessageW(m_driveList, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

template <typename View> void Win32PickerBase<View>::setDrives(const std::vector<std::string>& drives)
{
    m_drives = drives;
    SendMessageW(m_driveList, CB_RESETCONTENT, 0, 0);
    for (const std::string& drive : m_drives) {
        SendMessageW(m_driveList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(drive).c_str()));
    }
}

template <typename View> std::string Win32PickerBase<View>::drive() const
{
    const auto row = SendMessageW(m_driveList, CB_GETCURSEL, 0, 0);
    return row >= 0 && static_cast<std::size_t>(row) < m_drives.size()
               ? m_drives[static_cast<std::size_t>(row)]
               : std::string();
}

template <typename View> void Win32PickerBase<View>::setDrive(const std::string& drive)
{
    for (std::size_t row = 0; row < m_drives.size(); ++row) {
        if (drive == m_drives[row]) {
            SendMessageW(m_driveList, CB_SETCURSEL, row, 0); // tells nobody
            return;
        }
    }
}

template class Win32PickerBase<FolderPickerView>;
template class Win32PickerBase<ProgramPickerView>;

} // namespace kumoden
