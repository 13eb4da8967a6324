#include "platform/win32/printing/win32_printer_setup.h"

#include "platform/clipboard.h"
#include "platform/win32/system/wide.h"

#include <windows.h>

#include <commdlg.h>

#include <cstddef>
#include <cstring>

namespace kumoden {
namespace {

std::vector<unsigned char> copyOut(HGLOBAL global)
{
    std::vector<unsigned char> bytes;
    if (global == nullptr) {
        return bytes;
    }
    if (const void* data = GlobalLock(global)) {
        bytes.resize(GlobalSize(global));
        std::memcpy(bytes.data(), data, bytes.size());
        GlobalUnlock(global);
    }
    return bytes;
}

HGLOBAL copyIn(const std::vector<unsigned char>& bytes)
{
    if (bytes.empty()) {
        return nullptr;
    }
    const HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (global != nullptr) {
        std::memcpy(GlobalLock(global), bytes.data(), bytes.size());
        GlobalUnlock(global);
    }
    return global;
}

// The dialog's answer, whatever it was: its blocks are the caller's to free.
struct Answer {
    PRINTDLGW dialog{};
    Answer() { dialog.lStructSize = sizeof dialog; }
    Answer(const Answer&) = delete;
    Answer& operator=(const Answer&) = delete;
    ~Answer()
    {
        if (dialog.hDevMode != nullptr) {
            GlobalFree(dialog.hDevMode);
        }
        if (dialog.hDevNames != nullptr) {
            GlobalFree(dialog.hDevNames);
        }
    }
};

// The device name inside a DEVNAMES block, checked against the block's size.
std::wstring deviceName(const std::vector<unsigned char>& devNames)
{
    if (devNames.size() < sizeof(DEVNAMES)) {
        return {};
    }
    DEVNAMES names{};
    std::memcpy(&names, devNames.data(), sizeof names);
    const std::size_t start = std::size_t{names.wDeviceOffset} * sizeof(wchar_t);
    std::wstring name;
    for (std::size_t at = start; at + sizeof(wchar_t) <= devNames.size(); at += sizeof(wchar_t)) {
        wchar_t c = 0;
        std::memcpy(&c, devNames.data() + at, sizeof c);
        if (c == L'\0') {
            return name;
        }
        name.push_back(c);
    }
    return {}; // not terminated within the block
}

} // namespace

void Win32PrinterSetup::showPrinter()
{
    Answer answer;
    answer.dialog.hwndOwner = static_cast<HWND>(m_window);
    answer.dialog.Flags = PD_PRINTSETUP;
    // The dialog may free and replace the blocks it is given: it gets copies.
    answer.dialog.hDevMode = copyIn(m_devMode);
    answer.dialog.hDevNames = copyIn(m_devNames);
    if (PrintDlgW(&answer.dialog) && answer.dialog.hDevNames != nullptr) {
        m_devNames = copyOut(answer.dialog.hDevNames);
        m_devMode = copyOut(answer.dialog.hDevMode);
    }
}

void Win32PrinterSetup::requirePrinter()
{
    if (!deviceName(m_devNames).empty()) {
        return;
    }
    Answer answer;
    answer.dialog.Flags = PD_RETURNDEFAULT;
    if (!PrintDlgW(&answer.dialog) || answer.dialog.hDevNames == nullptr) {
        throw HardCopyError("no printer to print the hard copy on");
    }
    m_devNames = copyOut(answer.dialog.hDevNames);
    m_devMode = copyOut(answer.dialog.hDevMode);
}

std::string Win32PrinterSetup::printerName()
{
    requirePrinter();
    return ToUtf8(deviceName(m_devNames));
}

void* Win32PrinterSetup::createDc()
{
    requirePrinter();
    // Settings that do not fit in their block are left out: the printer's own
    // then apply.
    const DEVMODEW* settings = nullptr;
    if (m_devMode.size() >= offsetof(DEVMODEW, dmFields)) {
        const auto* mode = reinterpret_cast<const DEVMODEW*>(m_devMode.data());
        if (mode->dmSize > 0 && std::size_t{mode->dmSize} + mode->dmDriverExtra <= m_devMode.size()) {
            settings = mode;
        }
    }
    const HDC dc = CreateDCW(L"WINSPOOL", deviceName(m_devNames).c_str(), nullptr, settings);
    if (dc == nullptr) {
        throw HardCopyError("the printer cannot be opened");
    }
    return dc;
}

} // namespace kumoden
