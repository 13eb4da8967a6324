#include "settings_ui/frm_exe.h"

#include <utility>

namespace kumoden {

FrmExe::FrmExe(ProgramPickerView& view, const FolderReader& reader, MessageDialog& messages,
               std::string readerFileName)
    : m_view(view), m_messages(messages), m_readerFileName(std::move(readerFileName)), m_reader(reader),
      m_lists(view, reader, messages, [this] { DirList_Change(); })
{
    m_view.setEvents({[this] { Drive_Change(); }, [this](const std::string& path) { DirList_Open(path); },
                      [this] { cmdExec_Click(); }, [this] { cmdCancel_Click(); }});
}

void FrmExe::Show()
{
    Form_Load();
    m_view.showModal();
}

void FrmExe::Form_Load()
{
    m_lists.load();
}

void FrmExe::Drive_Change()
{
    m_lists.driveChanged();
}

void FrmExe::DirList_Open(const std::string& path)
{
    m_lists.openFolder(path);
}

void FrmExe::DirList_Change()
{
    m_view.showFiles(m_lists.model().filesNamed(m_lists.dirPath(), m_readerFileName));
}

void FrmExe::cmdExec_Click()
{
    const std::string name = m_view.fileName();
    if (name.empty()) {
        m_messages.show("実行ファイルを選択して下さい。", "Acrobat Reader 指定", MessageButtons::Ok);
        return;
    }
    // The separator goes in even after a root folder's own: a program in a
    // root folder comes back with two in a row, which names the same file.
    if (objRetField != nullptr) {
        objRetField->setText(m_lists.dirPath() + m_reader.separator() + name);
    }
    m_view.unload();
}

void FrmExe::cmdCancel_Click()
{
    m_view.unload();
}

} // namespace kumoden
