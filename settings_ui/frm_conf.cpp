#include "settings_ui/frm_conf.h"

#include "watch/backup_purge.h"

#include <cstdint>
#include <utility>

namespace kumoden {
namespace {

constexpr const char* kCaption = "環境設定画面";

// The fields a save writes, in the order it writes them, with their keys
// and the labels the user knows them by.
struct SavedField {
    ConfField control;
    const char* key;
    const char* label;
};
constexpr std::array<SavedField, 6> kSaveOrder{{
    {ConfField::txtChkTime, "FileChkTime", "チェック間隔"},
    {ConfField::txtFileChkDir, "FileChkDir", "印刷チェック場所"},
    {ConfField::txtAcroExe, "AcrExeDir", "Acrobat Reader 場所"},
    {ConfField::txtPrintFile, "FileSelect", "出力ファイル名"},
    {ConfField::txtFileDelDate, "FileDelDate", "保存期間"},
    {ConfField::cmbPrint, "PrinterNm", "印刷プリンタ"},
}};

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

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
    events.keyDown = [this](int keyCode, int shift) { Form_KeyDown(keyCode, shift); };
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
    // Page 1 ends on top; the others stay enabled beneath it until the
    // first change of tab.
    m_view.layPages();
    for (const PrinterEntry& printer : m_services.printers.installedPrinters().printers) {
        m_view.addPrinter(printer.deviceName);
    }
    LoadSettings(m_info, m_services.profile, m_services.iniPath);
    ShowSettings();
    m_view.setApplyEnabled(false);
}

void FrmConf::ShowSettings()
{
    fill(ConfField::txtChkTime, std::to_string(m_info.FileChkTime));
    fill(ConfField::txtFileChkDir, m_info.FileChkDir);
    fill(ConfField::txtAcroExe, m_info.AcrExeDir);
    fill(ConfField::cmbPrint, m_info.PrinterNm);
    fill(ConfField::txtPrintFile, m_info.FileSelect);
    fill(ConfField::txtFileDelDate, m_info.FileDelDate);
    // This is how a new interval reaches the running watch.
    m_services.tmrFileCheck.setInterval(m_info.FileChkTime);
}

FrmConf::SaveResult FrmConf::SaveSettings()
{
    if (const std::string why = refusal(); !why.empty()) {
        tell(why);
        return SaveResult::Refused;
    }
    const std::string path = m_services.iniPath;
    for (const SavedField& field : kSaveOrder) {
        if (Tag(field.control) != kChangedTag) {
            continue;
        }
        if (!m_services.profile.writeString(std::string(kSettingsSection), field.key,
                                            m_view.text(field.control), path)) {
            // The one place a failed save is noticed. The fields before this
            // one may be in the file: the record and the timer follow the
            // file, the fields keep the user's edits, and Apply stays on.
            LoadSettings(m_info, m_services.profile, path);
            m_services.tmrFileCheck.setInterval(m_info.FileChkTime);
            if (m_services.log) {
                m_services.log("設定ファイル「" + path + "」に「" + field.label + "」を書き込めませんでした");
            }
            tell("設定ファイル「" + path + "」に「" + field.label + "」を書き込めませんでした。" +
                 "書き込み禁止のファイルか、ファイルに保存できない文字が含まれています。" +
                 "この項目と、これより後の項目は保存されていません。");
            return SaveResult::NotWritten;
        }
    }
    m_view.setApplyEnabled(false);
    LoadSettings(m_info, m_services.profile, path);
    ShowSettings();
    return SaveResult::Saved;
}

std::string FrmConf::refusal() const
{
    // Refused is only what the user typed that the watch cannot use: every
    // interval the record reads as 0 ms or more, and every retention the
    // purge reads as days, passes. A value from the file that the user left
    // alone is the file's business, not this save's.
    if (edited(ConfField::txtChkTime) && !IntervalUsable(m_view.text(ConfField::txtChkTime))) {
        return "チェック間隔には 0 から 2147483647 までのミリ秒数を入力して下さい。";
    }
    const std::string retention = m_view.text(ConfField::txtFileDelDate);
    if (edited(ConfField::txtFileDelDate) && !isBlank(retention) && !RetentionDays(retention)) {
        return "保存期間には -32768 から 32767 までの日数を入力して下さい。空欄にすると削除しません。";
    }
    if (edited(ConfField::txtPrintFile) && SelectionLeavesFolder(m_view.text(ConfField::txtPrintFile))) {
        return "出力ファイル名には「/」や「\\」を含めないで下さい。"
               "ファイル名の始まりだけを入力します。";
    }
    return {};
}

void FrmConf::tell(const std::string& text)
{
    m_services.messages.show(text, kCaption, MessageButtons::Ok);
}

void FrmConf::fill(ConfField field, const std::string& text)
{
    m_view.setText(field, text);
    // The view's own reading of the text: a control may not hold every
    // character it was given.
    m_filled[static_cast<std::size_t>(field)] = m_view.text(field);
}

bool FrmConf::edited(ConfField field) const
{
    return Tag(field) == kChangedTag && m_view.text(field) != m_filled[static_cast<std::size_t>(field)];
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
    m_view.showPage(m_view.selectedTab() - 1);
}

void FrmConf::Form_KeyDown(int keyCode, int shift)
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
    SaveResult status = SaveResult::Saved;
    if (m_view.applyEnabled()) {
        status = SaveSettings();
    }
    if (status == SaveResult::Saved) {
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
