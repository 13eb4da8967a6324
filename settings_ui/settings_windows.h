#pragma once

#include "settings_ui/form_designs.h"
#include "settings_ui/frm_conf.h"
#include "settings_ui/frm_exe.h"
#include "settings_ui/frm_file.h"

#include <functional>
#include <string>
#include <utility>

namespace kumoden {

// Opens the settings dialog with its two pickers, each built afresh from
// its design for every opening, on the platform's views: ConfViewT,
// FolderPickerT and ProgramPickerT are made from a FormDesign.
template <typename ConfViewT, typename FolderPickerT, typename ProgramPickerT> class SettingsWindows {
public:
    struct Services {
        Profile& profile;
        std::string iniPath;
        char separator;
        Timer& tmrFileCheck;
        PrinterList& printers;
        MessageDialog& messages;
        // Writes one line in the program's log.
        std::function<void(const std::string&)> log;
        // The file name the program picker looks for.
        std::string readerFileName;
    };

    SettingsWindows(FileCheckInfo& info, Services services) : m_info(info), m_services(std::move(services)) {}

    void showSettings()
    {
        ConfViewT view(FrmConfDesign());
        FrmConf frmConf(m_info, {view, m_services.profile, m_services.iniPath, m_services.separator,
                                 m_services.tmrFileCheck, m_services.printers, m_services.messages,
                                 [this](TextField& field) { showFolderPicker(field); },
                                 [this](TextField& field) { showProgramPicker(field); }, m_services.log});
        frmConf.Show();
    }

private:
    void showFolderPicker(TextField& objRetField)
    {
        FolderPickerT view(FrmFileDesign());
        FrmFile frmFile(view, m_services.messages);
        frmFile.objRetField = &objRetField;
        frmFile.Show();
    }
    void showProgramPicker(TextField& objRetField)
    {
        ProgramPickerT view(FrmExeDesign());
        FrmExe frmExe(view, m_services.messages, m_services.readerFileName, m_services.separator);
        frmExe.objRetField = &objRetField;
        frmExe.Show();
    }

    FileCheckInfo& m_info;
    Services m_services;
};

} // namespace kumoden
