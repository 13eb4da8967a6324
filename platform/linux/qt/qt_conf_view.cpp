#include "platform/linux/qt/qt_conf_view.h"

#include "platform/common/conf_controls.h"
#include "platform/linux/qt/qt_form_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

#include <algorithm>
#include <map>
#include <stdexcept>

namespace kumoden {

// Esc and the window's close button go where the Cancel button goes.
class QtConfView::Form final : public QDialog {
public:
    explicit Form(QtConfView& view) : QDialog(nullptr, kFixedDialogFlags), m_view(view) {}

    void reject() override
    {
        if (m_view.m_events.cmdCancelClick) {
            m_view.m_events.cmdCancelClick();
        } else {
            QDialog::reject();
        }
    }

private:
    QtConfView& m_view;
};

namespace {

ConfField fieldOf(std::string_view control)
{
    const auto found = std::find(kConfFieldControls.begin(), kConfFieldControls.end(), control);
    if (found == kConfFieldControls.end()) {
        throw std::logic_error("no setting is held in " + std::string(control));
    }
    return static_cast<ConfField>(found - kConfFieldControls.begin());
}

TwipsBox toTwips(const QRect& pixels)
{
    return {pixels.x() * kTwipsPerPixel, pixels.y() * kTwipsPerPixel, pixels.width() * kTwipsPerPixel,
            pixels.height() * kTwipsPerPixel};
}

// The key code a key-down reports: Tab (also when Shift makes it Backtab),
// and otherwise the key's own code where it is a character.
int keyCode(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) {
        return kKeyTab;
    }
    return key.key() < 0x80 ? key.key() : 0;
}

int shiftState(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    int shift = 0;
    if (modifiers & Qt::ShiftModifier || key.key() == Qt::Key_Backtab) {
        shift |= kShiftMask;
    }
    if (modifiers & Qt::ControlModifier) {
        shift |= kCtrlMask;
    }
    if (modifiers & Qt::AltModifier) {
        shift |= kAltMask;
    }
    return shift;
}

} // namespace

QtConfView::QtConfView(const FormDesign& design) : m_form(std::make_unique<Form>(*this))
{
    build(design);
    qApp->installEventFilter(this);
}

QtConfView::~QtConfView()
{
    qApp->removeEventFilter(this);
}

void QtConfView::build(const FormDesign& design)
{
    QDialog& form = *m_form;
    form.setObjectName(captionOf(design.name));
    form.setWindowTitle(captionOf(design.caption));
    form.setFixedSize(twipsSize(design.clientWidth, design.clientHeight));

    // The tab stops by name; a tab strip's stop is its tabs.
    std::map<std::string_view, QWidget*> made;
    for (const ControlDesign& control : design.controls) {
        QWidget* parent = control.container.empty() ? &form : made.at(control.container);
        made[control.name] = makeControl(control, parent);
    }
    if (m_tabs == nullptr || m_cmbPrint == nullptr || m_cmdOK == nullptr || m_cmdApply == nullptr) {
        throw std::logic_error("the settings dialog's design lacks a control it needs");
    }

    // Focus order as designed; it starts on the first stop that takes it.
    QWidget* previous = nullptr;
    QWidget* first = nullptr;
    for (const std::string_view name : design.tabOrder()) {
        QWidget* stop = made.at(name);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, stop);
        }
        if (first == nullptr && stop->isEnabled()) {
            first = stop;
        }
        previous = stop;
    }
    if (first != nullptr) {
        first->setFocus();
    }
}

QWidget* QtConfView::makeControl(const ControlDesign& control, QWidget* parent)
{
    switch (control.kind) {
    case ControlKind::TabStrip:
        return makeTabStrip(control, parent);
    case ControlKind::Page: {
        auto* page = designed(new QFrame(parent), control);
        // Pages lie on one another: each hides the ones beneath it.
        page->setAutoFillBackground(true);
        m_pages.push_back(page);
        return page;
    }
    case ControlKind::Label:
        return designed(new QLabel(captionOf(control.caption()), parent), control);
    case ControlKind::TextBox: {
        auto* box = designed(new QLineEdit(parent), control);
        if (control.alignRight) {
            box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        const ConfField field = fieldOf(control.name);
        m_textBoxes[static_cast<std::size_t>(field)] = box;
        QObject::connect(box, &QLineEdit::textChanged, this, [this, field] {
            if (m_events.textChanged) {
                m_events.textChanged(field);
            }
        });
        return box;
    }
    case ControlKind::ComboBox:
        return makePrinterBox(control, parent);
    case ControlKind::Button:
        return makeButton(control, parent);
    default:
        throw std::logic_error("the settings dialog has no place for " + std::string(control.name));
    }
}

QWidget* QtConfView::makeTabStrip(const ControlDesign& control, QWidget* parent)
{
    // The tabs over a raised panel, whose inside is the client area the
    // pages are laid on.
    auto* tabMain = designed(new QWidget(parent), Control(control.name, control.kind, control.box));
    m_tabs = new QTabBar(tabMain);
    m_tabs->setObjectName(captionOf(control.name) + QStringLiteral("Tabs"));
    m_tabs->setFont(formFont(control.font.points, control.font.bold));
    m_tabs->setFocusPolicy(Qt::StrongFocus);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    for (const std::string_view caption : control.captions) {
        m_tabs->addTab(captionOf(caption));
    }
    const int tabHeight = m_tabs->sizeHint().height();
    m_tabs->setGeometry(0, 0, tabMain->width(), tabHeight);
    m_tabPanel = new QFrame(tabMain);
    m_tabPanel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_tabPanel->setGeometry(0, tabHeight - 1, tabMain->width(), tabMain->height() - tabHeight + 1);
    QObject::connect(m_tabs, &QTabBar::currentChanged, this, [this] {
        if (m_events.tabMainClick) {
            m_events.tabMainClick();
        }
    });
    return m_tabs;
}

QWidget* QtConfView::makePrinterBox(const ControlDesign& control, QWidget* parent)
{
    m_cmbPrint = designed(new QComboBox(parent), control);
    m_cmbPrint->setEditable(true);
    m_cmbPrint->setInsertPolicy(QComboBox::NoInsert);
    // Typing is no choice: no completion (Enter: see eventFilter).
    m_cmbPrint->setCompleter(nullptr);
    QObject::connect(m_cmbPrint, &QComboBox::activated, this, [this] {
        if (m_events.cmbPrintClick) {
            m_events.cmbPrintClick();
        }
    });
    return m_cmbPrint;
}

QWidget* QtConfView::makeButton(const ControlDesign& control, QWidget* parent)
{
    auto* button = designed(new QPushButton(captionOf(control.caption()), parent), control);
    button->setDefault(control.isDefault);
    const auto event = ConfButtonClick(control.name);
    if (event == nullptr) {
        throw std::logic_error("the settings dialog has no button " + std::string(control.name));
    }
    QObject::connect(button, &QPushButton::clicked, this, [this, event] {
        if (m_events.*event) {
            (m_events.*event)();
        }
    });
    if (control.name == "cmdOK") {
        m_cmdOK = button;
    } else if (control.name == "cmdApply") {
        m_cmdApply = button;
    }
    return button;
}

QLineEdit* QtConfView::lineEdit(ConfField field) const
{
    return field == ConfField::cmbPrint ? m_cmbPrint->lineEdit()
                                        : m_textBoxes[static_cast<std::size_t>(field)];
}

QDialog& QtConfView::dialog() const
{
    return *m_form;
}

void QtConfView::setEvents(Events events)
{
    m_events = std::move(events);
}

std::string QtConfView::text(ConfField field) const
{
    return lineEdit(field)->text().toStdString();
}

void QtConfView::setText(ConfField field, const std::string& text)
{
    const QString value = QString::fromStdString(text);
    if (field == ConfField::cmbPrint) {
        m_cmbPrint->setEditText(value);
    } else if (lineEdit(field)->text() != value) {
        lineEdit(field)->setText(value); // raises textChanged
    }
}

void QtConfView::addPrinter(const std::string& name)
{
    const QString edit = m_cmbPrint->currentText();
    m_cmbPrint->addItem(QString::fromStdString(name));
    m_cmbPrint->setEditText(edit); // the first entry must not fill the box
}

bool QtConfView::applyEnabled() const
{
    return m_cmdApply->isEnabled();
}

void QtConfView::setApplyEnabled(bool enabled)
{
    m_cmdApply->setEnabled(enabled);
}

int QtConfView::tabCount() const
{
    return m_tabs->count();
}

int QtConfView::selectedTab() const
{
    return m_tabs->currentIndex() + 1;
}

void QtConfView::selectTab(int index)
{
    m_tabs->setCurrentIndex(index - 1);
}

TwipsBox QtConfView::tabClientArea() const
{
    const QRect inside = m_tabPanel->contentsRect();
    const QPoint topLeft = m_tabPanel->mapTo(m_form.get(), inside.topLeft());
    return toTwips(QRect(topLeft, inside.size()));
}

int QtConfView::pageCount() const
{
    return static_cast<int>(m_pages.size());
}

bool QtConfView::pageEnabled(int page) const
{
    return m_pages[static_cast<std::size_t>(page)]->isEnabled();
}

void QtConfView::layPages()
{
    const QRect client = twipsRect(tabClientArea());
    for (QWidget* page : m_pages) {
        page->setGeometry(client);
        page->setEnabled(true);
    }
    for (auto page = m_pages.rbegin(); page != m_pages.rend(); ++page) {
        (*page)->raise();
    }
}

void QtConfView::showPage(int shown)
{
    const TwipsBox client = tabClientArea();
    for (int i = 0; i < pageCount(); ++i) {
        TwipsBox box = client;
        box.left = i == shown ? client.left : kPageAwayLeft;
        m_pages[static_cast<std::size_t>(i)]->setGeometry(twipsRect(box));
        m_pages[static_cast<std::size_t>(i)]->setEnabled(i == shown);
    }
}

void QtConfView::showModal()
{
    keepIconLive(*m_form);
    m_form->exec();
}

void QtConfView::unload()
{
    m_form->done(QDialog::Rejected);
}

bool QtConfView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        m_keyHeard = nullptr;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // A key that the focused control leaves travels up to its parents: the
    // dialog hears it once, where it starts, and the control still gets it.
    if (widget == nullptr || widget->window() != m_form.get() ||
        (event == m_keyHeard && key.key() == m_keyHeardCode)) {
        return false;
    }
    m_keyHeard = event;
    m_keyHeardCode = key.key();
    if (m_events.keyDown) {
        m_events.keyDown(keyCode(key), shiftState(key));
    }
    // Enter in the printer box is no choice from its list: it presses the
    // default button, as in every other box.
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if (enter && (widget == m_cmbPrint || widget == m_cmbPrint->lineEdit())) {
        m_cmdOK->click();
        return true;
    }
    return false;
}

} // namespace kumoden
