// The settings dialog's Qt view: real widgets on the offscreen platform,
// for the contract suite and for what only this view shows.
#include "platform/linux/qt/qt_conf_view.h"
#include "settings_ui/form_designs.h"
#include "tests/contract/conf_driver.h"
#include "tests/integration/qt_form_driver.h"

#include <QTabBar>

namespace kumoden::test {
namespace {

class QtConfDriver final : public QtFormDriver<ConfDriver> {
public:
    ConfView& view() override { return m_view; }
    std::string focusName() const override
    {
        // The tab strip's stop is its tabs.
        const std::string name = QtFormDriver::focusName();
        return name == "TabMainTabs" ? "TabMain" : name;
    }
    std::string tabCaption(int index) const override { return tabs()->tabText(index).toStdString(); }

private:
    QDialog& dialog() const override { return m_view.dialog(); }
    QWidget* stop(std::string_view control) const override
    {
        return control == "TabMain" ? tabs() : widget(control);
    }
    QTabBar* tabs() const { return dialog().findChild<QTabBar*>(QStringLiteral("TabMainTabs")); }

    QtConfView m_view{FrmConfDesign()};
};

} // namespace

std::unique_ptr<ConfDriver> MakeConfDriver()
{
    return std::make_unique<QtConfDriver>();
}

namespace {

using QtConf = ConfDialog;

TEST_F(QtConf, TheIntervalsUnitIsSpelledOutInFullAndCtrlAltTabGoesOnAsCtrlTab)
{
    open([&] {
        auto* unit = qobject_cast<QLabel*>(static_cast<QtConfDriver&>(driver).widget("lblMin"));
        EXPECT_GE(unit->width(), unit->sizeHint().width());
        driver.focus("txtChkTime");
        driver.press(Key::Tab, kCtrlMask | kAltMask);
        EXPECT_EQ(driver.view().selectedTab(), 2);
        driver.view().unload();
    });
}

} // namespace
} // namespace kumoden::test
