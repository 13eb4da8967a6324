#include "platform/qt/qt_conf_view.h"

#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_form_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

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

constexpr int kTwipsPerPixel = 15;

TwipsBox toTwips(const QRect& pixels)
{
    return {pixels.x() * kTwipsPerPixel, pixels.y() * kTwipsPerPixel, pixels.width() * kTwipsPerPixel,
            pixels.height() * kTwipsPerPixel};
}

QRect toPixels(const TwipsBox& box)
{
    return twipsRect(box.left, box.top, box.width, box.height);
}

template <typename Widget>
Widget* place(Widget* widget, const char* name, const QRect& geometry, const QFont& font)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    widget->setFont(font);
    return widget;
}

QLabel* addLabel(QWidget* page, const char* name, const char* caption, const QRect& geometry, double points)
{
    return place(new QLabel(QString::fromUtf8(caption), page), name, geometry, formFont(points, true));
}

QPushButton* addButton(QWidget* parent, const char* name, const char* caption, const QRect& geometry)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
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

QtConfView::QtConfView() : m_form(std::make_unique<Form>(*this))
{
    build();
    qApp->installEventFilter(this);
}

QtConfView::~QtConfView()
{
    qApp->removeEventFilter(this);
}

void QtConfView::build()
{
    QDialog& form = *m_form;
    form.setObjectName(QStringLiteral("frmConf"));
    form.setWindowTitle(QStringLiteral("環境設定画面"));
    form.setFixedSize(twipsSize(6015, 3420));

    // The tab strip: its tabs over a raised panel, whose inside is the
    // client area the pages are laid on.
    auto* tabMain = new QWidget(&form);
    tabMain->setObjectName(QStringLiteral("TabMain"));
    tabMain->setGeometry(twipsRect(120, 120, 5775, 2775));
    m_tabs = new QTabBar(tabMain);
    m_tabs->setObjectName(QStringLiteral("TabMainTabs"));
    m_tabs->setFont(formFont(9.75, true));
    m_tabs->setFocusPolicy(Qt::StrongFocus);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    for (const char* caption : {"ファイル情報", "ディレクトリー情報", "出力ファイル条件"}) {
        m_tabs->addTab(QString::fromUtf8(caption));
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

    for (int i = 0; i < 3; ++i) {
        m_pages[static_cast<std::size_t>(i)] = buildPage(i);
    }

    m_cmdOK = addButton(&form, "cmdOK", "OK", twipsRect(2040, 3000, 1215, 315));
    m_cmdOK->setDefault(true);
    m_cmdCancel = addButton(&form, "cmdCancel", "キャンセル", twipsRect(3360, 3000, 1215, 315));
    m_cmdApply = addButton(&form, "cmdApply", "適用(&A)", twipsRect(4680, 3000, 1215, 315));
    m_cmdApply->setEnabled(false);
    const auto forward = [this](QPushButton* button, std::function<void()> Events::*event) {
        QObject::connect(button, &QPushButton::clicked, this, [this, event] {
            if (m_events.*event) {
                (m_events.*event)();
            }
        });
    };
    forward(m_cmdOK, &Events::cmdOKClick);
    forward(m_cmdCancel, &Events::cmdCancelClick);
    forward(m_cmdApply, &Events::cmdApplyClick);
    forward(form.findChild<QPushButton*>(QStringLiteral("cmdChkDir")), &Events::cmdChkDirClick);
    forward(form.findChild<QPushButton*>(QStringLiteral("cmdAcrExeDir")), &Events::cmdAcrExeDirClick);

    // Focus order as designed; Apply is disabled, so the focus starts on Cancel.
    QWidget* order[] = {m_cmdApply,
                        m_cmdCancel,
                        m_cmdOK,
                        m_tabs,
                        lineEdit(ConfField::txtChkTime),
                        lineEdit(ConfField::txtFileChkDir),
                        lineEdit(ConfField::txtAcroExe),
                        form.findChild<QPushButton*>(QStringLiteral("cmdChkDir")),
                        form.findChild<QPushButton*>(QStringLiteral("cmdAcrExeDir")),
                        lineEdit(ConfField::txtPrintFile),
                        m_cmbPrint,
                        lineEdit(ConfField::txtFileDelDate)};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    m_cmdCancel->setFocus();
}

QFrame* QtConfView::buildPage(int index)
{
    auto* page = new QFrame(m_form.get());
    page->setObjectName(QStringLiteral("fraTab%1").arg(index));
    // Pages lie on one another: each hides the ones beneath it.
    page->setAutoFillBackground(true);
    const TwipsBox designed{0, 0, 5535, 2175};
    m_pageBoxes[static_cast<std::size_t>(index)] = designed;
    page->setGeometry(toPixels(designed));

    const QFont boxFont = formFont(12, true);
    const auto addTextBox = [&](ConfField field, const char* name, const QRect& geometry) {
        auto* box = place(new QLineEdit(page), name, geometry, boxFont);
        m_textBoxes[static_cast<std::size_t>(field)] = box;
        QObject::connect(box, &QLineEdit::textChanged, this, [this, field] {
            if (m_events.textChanged) {
                m_events.textChanged(field);
            }
        });
        return box;
    };
    const auto addBrowse = [&](const char* name, const QRect& geometry) {
        addButton(page, name, "参照", geometry)->setFont(formFont(11.25, true));
    };

    switch (index) {
    case 0:
        addLabel(page, "lblChkTime", "チェック間隔", twipsRect(360, 480, 1575, 255), 12);
        addTextBox(ConfField::txtChkTime, "txtChkTime", twipsRect(2160, 360, 975, 375))
            ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // The interval has always been milliseconds; only the label said seconds.
        addLabel(page, "lblMin", "ミリ秒", twipsRect(3240, 480, 855, 255), 12);
        addLabel(page, "Label1", "保存期間", twipsRect(360, 1200, 1575, 255), 12);
        addTextBox(ConfField::txtFileDelDate, "txtFileDelDate", twipsRect(2160, 1080, 975, 375))
            ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        addLabel(page, "Label2", "日", twipsRect(3240, 1200, 495, 255), 12);
        break;
    case 1:
        addLabel(page, "lblChkFileDir", "印刷チェック場所", twipsRect(120, 240, 1815, 255), 11.25);
        addTextBox(ConfField::txtFileChkDir, "txtFileChkDir", twipsRect(120, 480, 5295, 375));
        addBrowse("cmdChkDir", twipsRect(4560, 120, 855, 375));
        addLabel(page, "lblAcroExe", "Acrobat Reader 場所", twipsRect(120, 960, 2535, 375), 11.25);
        addTextBox(ConfField::txtAcroExe, "txtAcroExe", twipsRect(120, 1320, 5295, 375));
        addBrowse("cmdAcrExeDir", twipsRect(4560, 960, 855, 375));
        break;
    default: {
        addLabel(page, "lblPrintFile1", "出力ファイル名 ", twipsRect(120, 240, 1815, 255), 11.25);
        addTextBox(ConfField::txtPrintFile, "txtPrintFile", twipsRect(120, 480, 5295, 375));
        QLabel* info = addLabel(page, "lblInfo", "全てのファイルを対象とする場合は、【*】を入力して下さい。",
                                twipsRect(120, 1080, 5295, 255), 9);
        QPalette red = info->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        info->setPalette(red);
        addLabel(page, "lblPrintFile0", "印刷プリンタ", twipsRect(120, 1440, 1815, 255), 11.25);
        m_cmbPrint = place(new QComboBox(page), "cmbPrint", twipsRect(120, 1680, 5295, 360), boxFont);
        m_cmbPrint->setEditable(true);
        m_cmbPrint->setInsertPolicy(QComboBox::NoInsert);
        // Typing is no choice: no completion (Enter: see eventFilter).
        m_cmbPrint->setCompleter(nullptr);
        QObject::connect(m_cmbPrint, &QComboBox::activated, this, [this] {
            if (m_events.cmbPrintClick) {
                m_events.cmbPrintClick();
            }
        });
        break;
    }
    }
    return page;
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

TwipsBox QtConfView::pageBox(int page) const
{
    return m_pageBoxes[static_cast<std::size_t>(page)];
}

void QtConfView::setPageBox(int page, TwipsBox box)
{
    m_pageBoxes[static_cast<std::size_t>(page)] = box;
    m_pages[static_cast<std::size_t>(page)]->setGeometry(toPixels(box));
}

bool QtConfView::pageEnabled(int page) const
{
    return m_pages[static_cast<std::size_t>(page)]->isEnabled();
}

void QtConfView::setPageEnabled(int page, bool enabled)
{
    m_pages[static_cast<std::size_t>(page)]->setEnabled(enabled);
}

void QtConfView::bringPageToFront(int page)
{
    m_pages[static_cast<std::size_t>(page)]->raise();
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
