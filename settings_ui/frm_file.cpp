#include "settings_ui/frm_file.h"

namespace kumoden {

FrmFile::FrmFile(FolderPickerView& view, const FolderReader& reader, MessageDialog& messages)
    : m_view(view), m_lists(view, reader, messages, [] {})
{
    m_view.setEvents({[this] { Drive_Change(); }, [this](const std::string& path) { DirList_Open(path); },
                      [this] { cmdExec_Click(); }, [this] { cmdCancel_Click(); }});
}

void FrmFile::Show()
{
    Form_Load();
    m_view.showModal();
}

void FrmFile::Form_Load()
{
    m_lists.load();
}

void FrmFile::Drive_Change()
{
    m_lists.driveChanged();
}

void FrmFile::DirList_Open(const std::string& path)
{
    m_lists.openFolder(path);
}

void FrmFile::cmdExec_Click()
{
    // The opened folder, as the list writes it: a root keeps its separator.
    const std::string folder = m_lists.dirPath();
    // Only when not even a drive's root could be read is there none.
    if (folder.empty()) {
        return;
    }
    if (objRetField != nullptr) {
        objRetField->setText(folder);
    }
    m_view.unload();
}

void FrmFile::cmdCancel_Click()
{
    m_view.unload();
}

} // namespace kumoden
