#include "platform/win32/forms/win32_small_forms.h"

#include "platform/win32/system/wide.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace kumoden {
namespace {

BOOL CALLBACK firstIcon(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found)
{
    *reinterpret_cast<LPWSTR*>(found) = name;
    return FALSE;
}

// The program's own icon stretched to the size of the box, or the system's
// picture of a program when it has none. Destroyed with DestroyIcon.
HICON productPicture(HWND box)
{
    RECT size{};
    GetClientRect(box, &size);
    const int width = std::max<int>(size.right, 16);
    const int height = std::max<int>(size.bottom, 16);
    const HMODULE program = GetModuleHandleW(nullptr);
    LPWSTR name = nullptr;
    EnumResourceNamesW(program, MAKEINTRESOURCEW(14), firstIcon,
                       reinterpret_cast<LONG_PTR>(&name)); // RT_GROUP_ICON
    HANDLE icon = name != nullptr ? LoadImageW(program, name, IMAGE_ICON, width, height, 0) : nullptr;
    if (icon == nullptr) {
        icon = CopyImage(LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, width, height, 0);
    }
    return static_cast<HICON>(icon);
}

} // namespace

void Win32AboutView::showModal()
{
    Win32Form frmAbout(m_design);
    // The version the build was made as.
    const HWND version = frmAbout.control("Label4");
    SetWindowTextW(version, ToWide(WindowText(version) + KUMODEN_VERSION).c_str());
    const HWND picture = frmAbout.control("Image1");
    const HICON icon = productPicture(picture);
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

    Win32Form::Handlers handlers;
    handlers.command = [&](std::string_view control, int code) {
        if (control == "cmdOK" && code == BN_CLICKED) {
            frmAbout.unload();
        }
    };
    handlers.cancel = [&] { frmAbout.unload(); };
    frmAbout.setHandlers(std::move(handlers));
    m_form = &frmAbout;
    frmAbout.showModal();
    m_form = nullptr;
    if (icon != nullptr) {
        DestroyIcon(icon);
    }
}

void Win32Splash::show()
{
    if (!m_form) {
        m_form = std::make_unique<Win32Form>(m_design, false);
    }
    m_form->showCentred();
    // The program sleeps between the bar's steps: paint now, not later.
    Win32Form::ProcessMessages();
}

void Win32Splash::setProgress(double value)
{
    if (!m_form) {
        return;
    }
    const HWND bar = m_form->control("prbStart");
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::lround(value)), 0);
    UpdateWindow(bar);
}

} // namespace kumoden
