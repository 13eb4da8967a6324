#include "platform/win32/forms/win32_message_dialog.h"

#include "platform/win32/system/wide.h"

#include <windows.h>

namespace kumoden {

void Win32MessageDialog::show(const std::string& text, const std::string& title, MessageButtons buttons)
{
    const UINT type = buttons == MessageButtons::OkCancel ? (MB_OKCANCEL | MB_DEFBUTTON1) : MB_OK;
    MessageBoxW(nullptr, ToWide(text).c_str(), ToWide(title).c_str(), type | MB_TASKMODAL);
}

} // namespace kumoden
