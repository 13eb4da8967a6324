#include "settings_ui/frm_conf.h"

#include <utility>

namespace kumoden {
namespace {

// The fields a save writes, in the order it writes them, with their keys.
struct SavedField {
    ConfField control;
    const char* key;
};
constexpr std::array<SavedField, 6> kSaveOrder{{
    {ConfField::txtChkTime, "FileChkTime"},
    {ConfField::txtFileChkDir, "FileChkDir"},
    {ConfField::txtAcroExe, "AcrExeDir"},
    {ConfField::txtPrintFile, "FileSelect"},
    {ConfField::txtFileDelDate, "FileDelDate"},
    {ConfField::cmbPrint, "PrinterNm"},
}};

} // namespace

FrmConf::FrmConf(FileCheckInfo& info, Services services)
    : m_info(info), m_services(std::move(services)), m_view(m_services.view)
{
    ConfView::Events events;
    events.textChanged = [this](ConfField field) {
        switch (field) {
        case ConfField::txtChkTime:
            txtChkTime_Change();
            break;
        case ConfField::txtFileDelDate:
            txtFileDelDate_Change();
            break;
        case ConfField::txtFileChkDir:
            txtFileChkDir_Change();
            break;
        case ConfField::txtAcroExe:
            txtAcroExe_Change();
            break;
        case ConfField::txtPrintFile:
            txtPrintFile_Change();
            break;
        case ConfField::cmbPrint:
            break;
        }
    };
    events.cmbPrintClick = [this] { cmbPrint_Click(); };
    events.tabMainClick = [this] { TabMain_Click(); };
    events.keyDown = [this](int keyCode, int shift) {
        Form_KeyDown(static_cast<std::int16_t>(keyCode), static_cast<std::int16_t>(shift));
    };
    events.cmdOKClick = [this] { cmdOK_Click(); };
    events.cmdCancelClick = [this] { cmdCancel_Click(); };
    events.cmdApplyClick = [this] { cmdApply_Click(); };
    events.cmdChkDirClick = [this] { cmdChkDir_Click(); };
    events.cmdAcrExeDirClick = [this] { cmdAcrExeDir_Click(); };
    m_view.setEvents(std::move(events));
}

void FrmConf::Show()
{
    Form_Load();
    m_view.showModal();
}

void FrmConf::Form_Load()
{
    const TwipsBox client = m_view.tabClientArea();
    for (int i = 0; i < m_view.pageCount(); ++i) {
        m_view.setPageBox(i, client);
    }
    // Page 1 ends on top; the others stay enabled beneath it until the
    // first change of tab.
    for (int i = m_view.pageCount() - 1; i >= 0; --i) {
        m_view.bringPageToFront(i);
    }
    for (const PrinterEntry& printer : m_services.printers.installedPrinters().printers) {
        m_view.addPrinter(printer.deviceName);
    }
    LoadSettings(m_info, m_services.profile, IniPath(m_services.app, m_services.separator));
    ShowSettings();
    m_view.setApplyEnabled(false);
}

void FrmConf::ShowSettings()
{
    m_view.setText(ConfField::txtChkTime, std::to_string(m_info.FileChkTime));
    m_view.setText(ConfField::txtFileChkDir, m_info.FileChkDir);
    m_view.setText(ConfField::txtAcroExe, m_info.AcrExeDir);
    m_view.setText(ConfField::cmbPrint, m_info.PrinterNm);
    m_view.setText(ConfField::txtPrintFile, m_info.FileSelect);
    m_view.setText(ConfField::txtFileDelDate, m_info.FileDelDate);
    // This is how a new interval reaches the running watch.
    m_services.tmrFileCheck.setInterval(m_info.FileChkTime);
}

std::int16_t FrmConf::SaveSettings()
{
    const std::string path = IniPath(m_services.app, m_services.separator);
    for (const SavedField& field : kSaveOrder) {
        if (Tag(field.control) == kChangedTag) {
            // A write that fails shows itself in the refill below.
            m_services.profile.writeString(std::string(kSettingsSection), field.key,
                                           m_view.text(field.control), path);
        }
    }
    m_view.setApplyEnabled(false);
    LoadSettings(m_info, m_services.profile, path);
    ShowSettings();
    return 0;
}

void FrmConf::markChanged(ConfField field)
{
    m_view.setApplyEnabled(true);
    m_tags[static_cast<std::size_t>(field)] = std::string(kChangedTag);
}

void FrmConf::txtChkTime_Change()
{
    markChanged(ConfField::txtChkTime);
}

void FrmConf::txtFileDelDate_Change()
{
    markChanged(ConfField::txtFileDelDate);
}

void FrmConf::txtFileChkDir_Change()
{
    markChanged(ConfField::txtFileChkDir);
}

void FrmConf::txtAcroExe_Change()
{
    markChanged(ConfField::txtAcroExe);
}

void FrmConf::txtPrintFile_Change()
{
    markChanged(ConfField::txtPrintFile);
}

void FrmConf::cmbPrint_Click()
{
    markChanged(ConfField::cmbPrint);
}

void FrmConf::TabMain_Click()
{
    // Far outside the dialog, in twips.
    constexpr int kAway = -20000;
    const int selected = m_view.selectedTab();
    const TwipsBox client = m_view.tabClientArea();
    for (int i = 0; i < m_view.tabCount(); ++i) {
        TwipsBox box = m_view.pageBox(i);
        const bool shown = i == selected - 1;
        box.left = shown ? client.left : kAway;
        m_view.setPageBox(i, box);
        m_view.setPageEnabled(i, shown);
    }
}

void FrmConf::Form_KeyDown(std::int16_t keyCode, std::int16_t shift)
{
    const int count = m_view.tabCount();
    const int selected = m_view.selectedTab();
    const int modifiers = shift & (kShiftMask | kCtrlMask);
    if (keyCode == kKeyTab && modifiers == kCtrlMask) {
        m_view.selectTab(selected == count ? 1 : selected + 1);
    } else if (keyCode == kKeyTab && modifiers == (kShiftMask | kCtrlMask)) {
        m_view.selectTab(selected == 1 ? count : selected - 1);
    }
}

void FrmConf::cmdOK_Click()
{
    std::int16_t status = 0;
    if (m_view.applyEnabled()) {
        status = SaveSettings();
    }
    if (status == 0) {
        m_view.unload();
    }
}

void FrmConf::cmdApply_Click()
{
    SaveSettings();
}

void FrmConf::cmdCancel_Click()
{
    m_view.unload();
}

void FrmConf::openPicker(const PickerOpener& open, ConfField field)
{
    if (!open) {
        return;
    }
    Field target(m_view, field);
    open(target);
}

void FrmConf::cmdChkDir_Click()
{
    openPicker(m_services.showFolderPicker, ConfField::txtFileChkDir);
}

void FrmConf::cmdAcrExeDir_Click()
{
    openPicker(m_services.showProgramPicker, ConfField::txtAcroExe);
}

const std::string& FrmConf::Tag(ConfField field) const
{
    return m_tags[static_cast<std::size_t>(field)];
}

} // namespace kumoden
