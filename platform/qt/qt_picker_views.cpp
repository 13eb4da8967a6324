#include "platform/qt/qt_picker_views.h"

#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_form_support.h"

#include <QApplication>
#include <QKeyEvent>

namespace kumoden {
namespace {

constexpr int kFontPoints = 12;

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

QPushButton* addButton(QDialog& form, const char* name, const QString& caption, const QRect& geometry)
{
    auto* button = new QPushButton(caption, &form);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setFont(formFont(kFontPoints, true));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

template <typename View>
QtPickerBase<View>::QtPickerBase(const PickerDesign& design, std::vector<std::string> drives)
    : m_dialog(std::make_unique<PickerDialog>()), m_drives(std::move(drives))
{
    QDialog& form = *m_dialog;
    form.setObjectName(QString::fromLatin1(design.name));
    form.setWindowTitle(QStringLiteral("PDF File"));
    form.setFixedSize(twipsSize(design.clientWidth, design.clientHeight));

    m_driveList = new QtDriveList(m_drives, &form);
    m_driveList->setObjectName(QStringLiteral("Drive"));
    m_driveList->setGeometry(design.drive);
    m_driveList->setFont(formFont(kFontPoints, true));

    m_dirList = new QtFolderList(&form);
    m_dirList->setObjectName(QStringLiteral("DirList"));
    m_dirList->setGeometry(design.dirList);
    m_dirList->setFont(formFont(kFontPoints, false));

    m_cmdExec = addButton(form, "cmdExec", QStringLiteral("選   択"), design.cmdExec);
    m_cmdCancel = addButton(form, "cmdCancel", QStringLiteral("キャンセル"), design.cmdCancel);

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

    QWidget::setTabOrder(m_driveList, m_dirList);
    QWidget::setTabOrder(m_dirList, m_cmdExec);
    QWidget::setTabOrder(m_cmdExec, m_cmdCancel);
    m_driveList->setFocus();
}

template <typename View> QtPickerBase<View>::~QtPickerBase() = default;

template <typename View> void QtPickerBase<View>::setEvents(PickerEvents events)
{
    m_events = std::move(events);
}

template <typename View> std::string QtPickerBase<View>::currentDrive() const
{
    return driveOf(currentFolder(), m_drives);
}

template <typename View> std::string QtPickerBase<View>::driveFolder(const std::string& drive) const
{
    return driveCurrentFolder(drive, m_drives);
}

template <typename View> std::string QtPickerBase<View>::driveRoot(const std::string& drive) const
{
    return drive;
}

template <typename View> std::string QtPickerBase<View>::drive() const
{
    return m_driveList->drive();
}

template <typename View> void QtPickerBase<View>::setDrive(const std::string& drive)
{
    m_driveList->setDrive(drive);
}

template <typename View> std::string QtPickerBase<View>::dirPath() const
{
    return m_dirList->path();
}

template <typename View> bool QtPickerBase<View>::setDirPath(const std::string& path)
{
    return m_dirList->setPath(path);
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

QtFolderPickerView::QtFolderPickerView(std::vector<std::string> drives)
    : QtPickerBase({"frmFile", 5085, 3990, twipsRect(2880, 120, 2055, 360), twipsRect(120, 120, 2655, 3600),
                    twipsRect(2880, 600, 2055, 495), twipsRect(2880, 1440, 2055, 495)},
                   std::move(drives))
{
}

QtProgramPickerView::QtProgramPickerView(std::vector<std::string> drives)
    : QtPickerBase({"frmExe", 5190, 3810, twipsRect(2880, 120, 2295, 360), twipsRect(120, 120, 2655, 3600),
                    twipsRect(3000, 2520, 2055, 495), twipsRect(3000, 3120, 2055, 495)},
                   std::move(drives))
{
    m_filSelect = new QtFileList(m_dialog.get());
    m_filSelect->setObjectName(QStringLiteral("filSelect"));
    m_filSelect->setGeometry(twipsRect(2880, 600, 2295, 1770));
    m_filSelect->setFont(formFont(kFontPoints, true));
    QWidget::setTabOrder(m_cmdCancel, m_filSelect);
}

void QtProgramPickerView::setFilePattern(const std::string& pattern)
{
    m_filSelect->setPattern(pattern);
}

void QtProgramPickerView::setFilePath(const std::string& path)
{
    m_filSelect->setPath(path);
}

std::string QtProgramPickerView::fileName() const
{
    return m_filSelect->fileName();
}

} // namespace kumoden
