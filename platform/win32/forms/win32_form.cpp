#include "platform/win32/forms/win32_form.h"

#include "platform/win32/system/wide.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kumoden {
namespace {

constexpr wchar_t kPageClass[] = L"KumodenFormPage";
// Control ids start above IDOK and IDCANCEL, which Enter and Esc send.
constexpr int kFirstControlId = 100;
// How far a combo box's list drops below its box, in pixels.
constexpr int kDropDownPixels = 160;

HINSTANCE instance()
{
    return GetModuleHandleW(nullptr);
}

void registerClasses(WNDPROC pageProc)
{
    static const bool registered = [pageProc] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW page{};
        page.cbSize = sizeof page;
        page.lpfnWndProc = pageProc;
        page.hInstance = instance();
        page.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        page.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        page.lpszClassName = kPageClass;
        return RegisterClassExW(&page) != 0;
    }();
    if (!registered) {
        throw std::runtime_error("the form page's window class cannot be registered");
    }
}

// An empty dialog: its controls are made afterwards, in pixels.
struct alignas(4) EmptyDialog {
    DLGTEMPLATE header;
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

// A combo box's height is its selection field's; the field is made as high
// as designed. What CB_GETITEMHEIGHT answers is not always what was set, so
// the box is measured instead.
void fitComboHeight(HWND combo, int height)
{
    int field = height - 2 * GetSystemMetrics(SM_CYEDGE) - 2;
    for (int attempt = 0; attempt < 3 && field > 0; ++attempt) {
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
        RECT box{};
        GetWindowRect(combo, &box);
        const int difference = height - (box.bottom - box.top);
        if (difference == 0) {
            return;
        }
        field += difference;
    }
}

} // namespace

// How a kind of control is made: its window class and styles, and whether
// it shows its caption.
struct ControlLook {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle = 0;
    bool captioned = true;
};

constexpr DWORD kListStyle = WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;

ControlLook lookOf(const ControlDesign& control)
{
    switch (control.kind) {
    case ControlKind::Label:
        return {L"STATIC", SS_LEFT};
    case ControlKind::TextBox:
        return {L"EDIT", DWORD{ES_AUTOHSCROLL} | (control.alignRight ? ES_RIGHT : ES_LEFT), WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox:
        return {WC_COMBOBOXW, WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, false};
    case ControlKind::DriveList:
        return {WC_COMBOBOXW, WS_VSCROLL | CBS_DROPDOWNLIST, 0, false};
    case ControlKind::Button:
        return {L"BUTTON", DWORD(control.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)};
    case ControlKind::TabStrip:
        return {WC_TABCONTROLW, WS_CLIPSIBLINGS, 0, false};
    case ControlKind::Page:
        return {kPageClass, WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::ProgressBar:
        return {PROGRESS_CLASSW, 0};
    case ControlKind::FolderList:
        // It draws its entries indented by depth.
        return {L"LISTBOX", kListStyle | LBS_OWNERDRAWFIXED, WS_EX_CLIENTEDGE};
    case ControlKind::FileList:
        return {L"LISTBOX", kListStyle, WS_EX_CLIENTEDGE};
    case ControlKind::Picture:
        // The picture is stretched into the box, whatever its own size.
        return {L"STATIC", SS_ICON | SS_REALSIZECONTROL, 0, false};
    case ControlKind::Line:
        return {L"STATIC", SS_ETCHEDHORZ, 0, false};
    }
    return {L"STATIC", 0};
}

int ScreenDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

Win32Form::Win32Form(const FormDesign& design, bool closeButton) : m_dpi(ScreenDpi()), m_formFont(design.font)
{
    registerClasses(pageProc);
    EmptyDialog empty{};
    empty.header.style =
        WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | DS_MODALFRAME | (closeButton ? WS_SYSMENU : 0);
    const HWND made = CreateDialogIndirectParamW(instance(), &empty.header, nullptr, dialogProc,
                                                 reinterpret_cast<LPARAM>(this));
    if (made == nullptr) {
        throw std::runtime_error("the window " + std::string(design.name) + " cannot be made");
    }
    m_window = made;
    SetWindowTextW(m_window, ToWide(design.caption).c_str());
    RECT frame{0, 0, toPixels(design.clientWidth), toPixels(design.clientHeight)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_EXSTYLE)));
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    build(design);
}

Win32Form::~Win32Form()
{
    const auto open = std::find(OpenForms().begin(), OpenForms().end(), this);
    if (open != OpenForms().end()) {
        OpenForms().erase(open);
    }
    if (IsWindow(m_window)) {
        DestroyWindow(m_window);
    }
    for (const auto& [key, font] : m_fonts) {
        DeleteObject(font);
    }
    if (m_dialogFont != nullptr) {
        DeleteObject(m_dialogFont);
    }
}

void Win32Form::build(const FormDesign& design)
{
    for (const ControlDesign& control : design.controls) {
        const HWND parent = control.container.empty() ? m_window : this->control(control.container);
        const HWND made = make(control, parent);
        m_controls[control.name] = made;
        m_names[made] = control.name;
        if (control.foreColor != 0) {
            m_colors[made] = control.foreColor;
        }
        if (control.kind == ControlKind::TabStrip) {
            // Beneath everything else: the pages are laid on it.
            SetWindowPos(made, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        if (control.isDefault) {
            SendMessageW(m_window, DM_SETDEFID, static_cast<WPARAM>(GetDlgCtrlID(made)), 0);
        }
    }
    for (const std::string_view name : design.tabOrder()) {
        m_tabStops.push_back(control(name));
    }
}

HWND Win32Form::make(const ControlDesign& control, HWND parent)
{
    const ControlLook look = lookOf(control);
    DWORD style = WS_CHILD | WS_VISIBLE | look.style;
    if (control.tabIndex >= 0) {
        style |= WS_TABSTOP;
    }
    if (!control.enabled) {
        style |= WS_DISABLED;
    }
    int height = toPixels(control.box.height);
    if (control.kind == ControlKind::ComboBox || control.kind == ControlKind::DriveList) {
        height += kDropDownPixels;
    } else if (control.kind == ControlKind::Line) {
        height = 2;
    }
    const std::wstring text = look.captioned ? ToWide(control.caption()) : std::wstring();
    const int id = kFirstControlId + static_cast<int>(m_names.size());
    const HWND made =
        CreateWindowExW(look.exStyle, look.windowClass, text.c_str(), style, toPixels(control.box.left),
                        toPixels(control.box.top), toPixels(control.box.width), height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
    if (made == nullptr) {
        throw std::runtime_error("the control " + std::string(control.name) + " cannot be made");
    }
    if (control.kind != ControlKind::Line && control.kind != ControlKind::Picture) {
        SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font(control.font)), FALSE);
    }
    fill(made, control);
    return made;
}

void Win32Form::fill(HWND made, const ControlDesign& control) const
{
    switch (control.kind) {
    case ControlKind::TabStrip:
        for (const std::string_view caption : control.captions) {
            std::wstring tabText = ToWide(caption);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = tabText.data();
            const auto count = SendMessageW(made, TCM_GETITEMCOUNT, 0, 0);
            SendMessageW(made, TCM_INSERTITEMW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item));
        }
        break;
    case ControlKind::ComboBox:
    case ControlKind::DriveList:
        fitComboHeight(made, toPixels(control.box.height));
        break;
    case ControlKind::ProgressBar:
        SendMessageW(made, PBM_SETRANGE32, 0, control.maximum);
        break;
    default:
        break;
    }
}

HFONT Win32Form::font(const FontDesign& design)
{
    const FontDesign chosen = design.points > 0 ? design : m_formFont;
    if (chosen.points <= 0) {
        // The system's own dialog font.
        if (m_dialogFont == nullptr) {
            NONCLIENTMETRICSW metrics{};
            metrics.cbSize = sizeof metrics;
            if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
                m_dialogFont = CreateFontIndirectW(&metrics.lfMessageFont);
            }
        }
        return m_dialogFont != nullptr ? m_dialogFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    const int height = -static_cast<int>(std::lround(chosen.points * m_dpi / 72.0));
    const std::pair key{height, chosen.bold};
    if (const auto found = m_fonts.find(key); found != m_fonts.end()) {
        return found->second;
    }
    const HFONT made = CreateFontW(height, 0, 0, 0, chosen.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                   SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, ToWide(kFormFontFace).c_str());
    m_fonts[key] = made;
    return made;
}

HWND Win32Form::control(std::string_view name) const
{
    const auto found = m_controls.find(name);
    if (found == m_controls.end()) {
        throw std::out_of_range("no control " + std::string(name) + " on this form");
    }
    return found->second;
}

std::string_view Win32Form::nameOf(HWND window) const
{
    for (HWND at = window; at != nullptr && at != m_window; at = GetParent(at)) {
        if (const auto found = m_names.find(at); found != m_names.end()) {
            return found->second;
        }
    }
    return {};
}

int Win32Form::toPixels(int twips) const
{
    return static_cast<int>(static_cast<long long>(twips) * m_dpi / 1440);
}

int Win32Form::toTwips(int pixels) const
{
    return static_cast<int>(static_cast<long long>(pixels) * 1440 / m_dpi);
}

void Win32Form::place(HWND control, const TwipsBox& box)
{
    MoveWindow(control, toPixels(box.left), toPixels(box.top), toPixels(box.width), toPixels(box.height),
               TRUE);
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return ToUtf8(text);
}

} // namespace kumoden
