#pragma once

#include "platform/conf_view.h"
#include "platform/folder_reader.h"
#include "platform/form_design.h"
#include "platform/picker_view.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_conf.h"
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace kumoden {

// How a platform makes the settings dialog's and the pickers' windows from
// their designs.
struct SettingsViews {
    std::function<std::unique_ptr<ConfView>(const FormDesign&)> conf;
    std::function<std::unique_ptr<FolderPickerView>(const FormDesign&)> folderPicker;
    std::function<std::unique_ptr<ProgramPickerView>(const FormDesign&)> programPicker;
};

// The makers of a platform's three view classes, each built from a design.
template <typename ConfViewT, typename FolderPickerT, typename ProgramPickerT>
SettingsViews MakeSettingsViews()
{
    return {[](const FormDesign& design) { return std::make_unique<ConfViewT>(design); },
            [](const FormDesign& design) { return std::make_unique<FolderPickerT>(design); },
            [](const FormDesign& design) { return std::make_unique<ProgramPickerT>(design); }};
}

// Opens the settings dialog with its two pickers, each built afresh from
// its design for every opening.
class SettingsWindows {
public:
    struct Services {
        Profile& profile;
        std::string iniPath;
        char separator;
        Timer& tmrFileCheck;
        PrinterList& printers;
        MessageDialog& messages;
        const FolderReader& folders;
        // Writes one line in the program's log.
        std::function<void(const std::string&)> log;
        // The file name the program picker looks for.
        std::string readerFileName;
        SettingsViews views;
    };

    SettingsWindows(FileCheckInfo& info, Services services) : m_info(info), m_services(std::move(services)) {}

    void showSettings()
    {
        const auto view = m_services.views.conf(FrmConfDesign());
        FrmConf frmConf(m_info, {*view, m_services.profile, m_services.iniPath, m_services.separator,
                                 m_services.tmrFileCheck, m_services.printers, m_services.messages,
                                 [this](TextField& field) { showFolderPicker(field); },
                                 [this](TextField& field) { showProgramPicker(field); }, m_services.log});
        frmConf.Show();
    }

private:
    void showFolderPicker(TextField& objRetField)
    {
        const auto view = m_services.views.folderPicker(FrmFileDesign());
        FrmFile frmFile(*view, m_services.folders, m_services.messages);
        frmFile.objRetField = &objRetField;
        frmFile.Show();
    }
    void showProgramPicker(TextField& objRetField)
    {
        const auto view = m_services.views.programPicker(FrmExeDesign());
        FrmExe frmExe(*view, m_services.folders, m_services.messages, m_services.readerFileName);
        frmExe.objRetField = &objRetField;
        frmExe.Show();
    }

    FileCheckInfo& m_info;
    Services m_services;
};

} // namespace kumoden
