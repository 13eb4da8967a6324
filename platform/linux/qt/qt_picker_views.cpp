#include "platform/linux/qt/qt_picker_views.h"

#include "platform/linux/qt/qt_form_support.h"

#include <QApplication>
#include <QKeyEvent>

namespace kumoden {
namespace {

// The pickers' window: Escape closes nothing (there is no cancel button),
// and with neither button a default one, Enter presses nothing.
class PickerDialog final : public QDialog {
public:
    PickerDialog() : QDialog(nullptr, kFixedDialogFlags) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape) {
            event->ignore();
            return;
        }
        QDialog::keyPressEvent(event);
    }
};

QPushButton* addButton(QDialog& form, const ControlDesign& design)
{
    auto* button = designed(new QPushButton(captionOf(design.caption()), &form), design);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

template <typename View>
QtPickerBase<View>::QtPickerBase(const FormDesign& design) : m_dialog(std::make_unique<PickerDialog>())
{
    QDialog& form = *m_dialog;
    form.setObjectName(captionOf(design.name));
    form.setWindowTitle(captionOf(design.caption));
    form.setFixedSize(twipsSize(design.clientWidth, design.clientHeight));

    m_driveList = designed(new QtDriveList(&form), design.control("Drive"));
    m_dirList = designed(new QtFolderList(&form), design.control("DirList"));
    m_cmdExec = addButton(form, design.control("cmdExec"));
    m_cmdCancel = addButton(form, design.control("cmdCancel"));

    // The controls raise whatever events are set at the time.
    const auto raise = [this](std::function<void()> PickerEvents::*event) {
        return [this, event] {
            if (m_events.*event) {
                (m_events.*event)();
            }
        };
    };
    m_driveList->setChangeHandler(raise(&PickerEvents::driveChange));
    m_dirList->setOpenHandler([this](const std::string& path) {
        if (m_events.dirListOpen) {
            m_events.dirListOpen(path);
        }
    });
    QObject::connect(m_cmdExec, &QPushButton::clicked, &form, raise(&PickerEvents::execClick));
    QObject::connect(m_cmdCancel, &QPushButton::clicked, &form, raise(&PickerEvents::cancelClick));
}

template <typename View> void QtPickerBase<View>::orderFocus(const FormDesign& design)
{
    QWidget* previous = nullptr;
    for (const std::string_view name : design.tabOrder()) {
        auto* stop = m_dialog->findChild<QWidget*>(captionOf(name));
        if (previous == nullptr) {
            stop->setFocus();
        } else {
            QWidget::setTabOrder(previous, stop);
        }
        previous = stop;
    }
}

template <typename View> QtPickerBase<View>::~QtPickerBase() = default;

template <typename View> void QtPickerBase<View>::setEvents(PickerEvents events)
{
    m_events = std::move(events);
}

template <typename View> void QtPickerBase<View>::setDrives(const std::vector<std::string>& drives)
{
    m_driveList->setDrives(drives);
}

template <typename View> std::string QtPickerBase<View>::drive() const
{
    return m_driveList->drive();
}

template <typename View> void QtPickerBase<View>::setDrive(const std::string& drive)
{
    m_driveList->setDrive(drive);
}

template <typename View>
void QtPickerBase<View>::showFolders(const std::vector<FolderEntry>& entries, std::size_t opened)
{
    m_dirList->show(entries, opened);
}

template <typename View> void QtPickerBase<View>::showModal()
{
    // Modal over the window that opened the picker (the settings dialog),
    // which then takes no input, while the tray icon stays live.
    QWidget* opener = QApplication::activeModalWidget();
    if (opener != nullptr && opener != m_dialog.get()) {
        m_dialog->setParent(opener, kFixedDialogFlags);
    }
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->exec();
    // The opener may go before this view does.
    m_dialog->setParent(nullptr, kFixedDialogFlags);
    // The keyboard goes back to the opener, also where no window manager
    // hands it on.
    if (opener != nullptr && opener != m_dialog.get()) {
        opener->activateWindow();
    }
}

template <typename View> void QtPickerBase<View>::unload()
{
    m_dialog->done(QDialog::Accepted);
}

template class QtPickerBase<FolderPickerView>;
template class QtPickerBase<ProgramPickerView>;

QtFolderPickerView::QtFolderPickerView(const FormDesign& design) : QtPickerBase(design)
{
    orderFocus(design);
}

QtProgramPickerView::QtProgramPickerView(const FormDesign& design) : QtPickerBase(design)
{
    m_filSelect = designed(new QtFileList(m_dialog.get()), design.control("filSelect"));
    orderFocus(design);
}

void QtProgramPickerView::showFiles(const std::vector<std::string>& names)
{
    m_filSelect->show(names);
}

std::string QtProgramPickerView::fileName() const
{
    return m_filSelect->fileName();
}

} // namespace kumoden
