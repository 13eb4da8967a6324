// The settings dialog's Qt view: real widgets on the offscreen platform,
// for the contract suite and for what only this view shows.
#include "platform/fake/fake_services.h"
#include "platform/profile/profile_store.h"
#include "platform/qt/qt_conf_view.h"
#include "settings_ui/form_designs.h"
#include "settings_ui/frm_conf.h"
#include "tests/contract/conf_driver.h"
#include "tests/support/offscreen_app.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

namespace kumoden::test {
namespace {

class QtConfDriver final : public ConfDriver {
public:
    ConfView& view() override { return m_view; }
    void whileOpen(const std::function<void()>& show, const std::function<void()>& steps) override
    {
        WhileModal(m_view.dialog(), show, steps);
    }
    bool shown() const override { return m_view.dialog().isVisible(); }

    std::string focusName() const override
    {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) {
            return "(none)";
        }
        // The tab strip's stop is its tabs.
        const std::string name = focus->objectName().toStdString();
        return name == "TabMainTabs" ? "TabMain" : name;
    }
    void focus(std::string_view control) override
    {
        QWidget* widget = stop(control);
        widget->setFocus(Qt::TabFocusReason);
        auto* edit = qobject_cast<QLineEdit*>(widget);
        if (auto* box = qobject_cast<QComboBox*>(widget)) {
            edit = box->lineEdit();
        }
        if (edit != nullptr) {
            edit->selectAll();
        }
    }
    void press(Key key, int modifiers) override
    {
        Qt::KeyboardModifiers held;
        held.setFlag(Qt::ShiftModifier, (modifiers & kShiftMask) != 0);
        held.setFlag(Qt::ControlModifier, (modifiers & kCtrlMask) != 0);
        held.setFlag(Qt::AltModifier, (modifiers & kAltMask) != 0);
        Qt::Key code = Qt::Key_Tab;
        switch (key) {
        case Key::Tab:
            code = (modifiers & kShiftMask) != 0 ? Qt::Key_Backtab : Qt::Key_Tab;
            break;
        case Key::Return:
            code = Qt::Key_Return;
            break;
        case Key::Escape:
            code = Qt::Key_Escape;
            break;
        case Key::Down:
            code = Qt::Key_Down;
            break;
        }
        QTest::keyClick(QApplication::focusWidget(), code, held);
    }
    void type(const std::string& text) override
    {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(text));
    }
    void click(std::string_view button) override { QTest::mouseClick(widget(button), Qt::LeftButton); }
    void closeWindow() override { m_view.dialog().close(); }

    int pixels(int twips) const override { return twips / 15; }
    std::string title() const override { return m_view.dialog().windowTitle().toStdString(); }
    PixelBox clientSize() const override { return {0, 0, m_view.dialog().width(), m_view.dialog().height()}; }
    PixelBox box(std::string_view control) const override
    {
        const QRect r = widget(control)->geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    bool inSight(std::string_view control) const override
    {
        const QWidget* w = widget(control);
        return w->isVisibleTo(&m_view.dialog()) && w->parentWidget()->rect().intersects(w->geometry());
    }
    bool enabled(std::string_view control) const override
    {
        // Its own state, not its page's.
        return !widget(control)->testAttribute(Qt::WA_ForceDisabled);
    }
    std::string caption(std::string_view control) const override
    {
        const QWidget* w = widget(control);
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            return label->text().toStdString();
        }
        return qobject_cast<const QAbstractButton*>(w)->text().toStdString();
    }
    std::string tabCaption(int index) const override { return tabs()->tabText(index).toStdString(); }
    ShownFont font(std::string_view control) const override
    {
        const QFont f = stop(control)->font();
        return {f.family().toStdString(), f.pointSizeF(), f.bold()};
    }
    unsigned textColour(std::string_view control) const override
    {
        return widget(control)->palette().color(QPalette::WindowText).rgb() & 0xFFFFFFu;
    }
    bool alignedRight(std::string_view control) const override
    {
        return (qobject_cast<const QLineEdit*>(widget(control))->alignment() & Qt::AlignRight) != 0;
    }
    bool editable(std::string_view control) const override { return combo(control)->isEditable(); }
    int entries(std::string_view control) const override { return combo(control)->count(); }

    QWidget* widget(std::string_view control) const
    {
        auto* found = m_view.dialog().findChild<QWidget*>(QString::fromUtf8(control.data(), control.size()));
        if (found == nullptr) {
            throw std::out_of_range("no widget " + std::string(control));
        }
        return found;
    }

private:
    // The widget that takes the focus for the control.
    QWidget* stop(std::string_view control) const { return control == "TabMain" ? tabs() : widget(control); }
    QTabBar* tabs() const { return m_view.dialog().findChild<QTabBar*>(QStringLiteral("TabMainTabs")); }
    QComboBox* combo(std::string_view control) const { return qobject_cast<QComboBox*>(widget(control)); }

    QApplication& m_app = OffscreenApplication(); // before any widget
    QtConfView m_view{FrmConfDesign()};
};

} // namespace

std::unique_ptr<ConfDriver> MakeConfDriver()
{
    return std::make_unique<QtConfDriver>();
}

namespace {

class QtConf : public ::testing::Test {
protected:
    QtConf() { dir.write("kumoden.INI", "[FileCheck_Info]\nFileChkTime=1000\n"); }

    TempDir dir;
    ProfileStore profile;
    fake::FakeTimer timer;
    fake::FakePrinterList printers;
    fake::FakeMessageDialog messages;
    FileCheckInfo info;
    QtConfDriver driver;
    FrmConf frmConf{info,
                    {driver.view(),
                     profile,
                     (dir.path() / "kumoden.INI").string(),
                     '/',
                     timer,
                     printers,
                     messages,
                     {},
                     {},
                     {}}};
};

TEST_F(QtConf, TheIntervalsUnitIsSpelledOutInFull)
{
    driver.whileOpen([&] { frmConf.Show(); },
                     [&] {
                         auto* unit = qobject_cast<QLabel*>(driver.widget("lblMin"));
                         EXPECT_EQ(unit->text(), QStringLiteral("ミリ秒"));
                         EXPECT_GE(unit->width(), unit->sizeHint().width());
                         driver.view().unload();
                     });
}

TEST_F(QtConf, CtrlAltTabGoesForwardAsCtrlTabDoes)
{
    driver.whileOpen([&] { frmConf.Show(); },
                     [&] {
                         driver.focus("txtChkTime");
                         driver.press(Key::Tab, kCtrlMask | kAltMask);
                         EXPECT_EQ(driver.view().selectedTab(), 2);
                         driver.view().unload();
                     });
}

} // namespace
} // namespace kumoden::test
