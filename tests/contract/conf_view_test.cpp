// The settings dialog's view of each platform, driven by its presenter
// through the keyboard and the mouse, with a real INI file.
#include "settings_ui/form_designs.h"
#include "tests/contract/conf_driver.h"

#include <vector>

namespace kumoden::test {
namespace {

using ConfViewContract = ConfDialog;

TEST_F(ConfViewContract, IsLaidOutAsDesignedWithItsCaptionsFontsAndColours)
{
    const FormDesign& design = FrmConfDesign();
    const auto px = [&](const TwipsBox& box) { return driver.pixels(box); };
    open([&] {
        EXPECT_EQ(driver.title(), design.caption);
        EXPECT_EQ(driver.clientSize(), px({0, 0, design.clientWidth, design.clientHeight}));
        // The pages lie on the tab strip's inside, below its tabs.
        const TwipsBox area = driver.view().tabClientArea();
        const TwipsBox strip = design.control("TabMain").box;
        EXPECT_GT(area.top, strip.top + 200);
        EXPECT_LE(area.left + area.width, strip.left + strip.width);
        for (const ControlDesign& control : design.controls) {
            const std::string_view name = control.name;
            EXPECT_EQ(driver.box(name), px(control.kind == ControlKind::Page ? area : control.box)) << name;
            EXPECT_EQ(driver.enabled(name), control.enabled) << name;
            const Look look = driver.look(name);
            if (control.kind == ControlKind::Label || control.kind == ControlKind::Button) {
                EXPECT_EQ(look.caption, control.caption()) << name;
            }
            if (control.font.points > 0) {
                EXPECT_EQ(look.face, kFormFontFace) << name;
                EXPECT_DOUBLE_EQ(look.points, control.font.points) << name;
                EXPECT_EQ(look.bold, control.font.bold) << name;
            }
            if (control.kind == ControlKind::TextBox) {
                EXPECT_EQ(look.alignedRight, control.alignRight) << name;
            }
            if (control.foreColor != 0) {
                EXPECT_EQ(look.colour, control.foreColor) << name;
                EXPECT_NE(driver.look("lblPrintFile0").colour, control.foreColor) << "the neighbour's";
            }
        }
        const auto& tabs = design.control("TabMain").captions;
        ASSERT_EQ(driver.view().tabCount(), static_cast<int>(tabs.size()));
        for (std::size_t i = 0; i < tabs.size(); ++i) {
            EXPECT_EQ(driver.tabCaption(static_cast<int>(i)), tabs[i]);
        }
        EXPECT_TRUE(driver.inSight("fraTab0"));
        EXPECT_TRUE(driver.look("cmbPrint").editable);
        EXPECT_EQ(driver.look("cmbPrint").entries, 2);
        EXPECT_EQ(driver.view().text(ConfField::cmbPrint), "PDF");
        driver.view().unload();
    });
}

TEST_F(ConfViewContract, TheFocusStartsOnCancelAndGoesInTheDesignedOrder)
{
    // Apply is disabled until a change, so the round passes it over.
    std::vector<std::string> expected;
    for (const std::string_view name : FrmConfDesign().tabOrder()) {
        if (name != "cmdApply") {
            expected.emplace_back(name);
        }
    }
    expected.push_back(expected.front());
    open([&] {
        std::vector<std::string> order{driver.focusName()};
        for (std::size_t i = 1; i < expected.size(); ++i) {
            driver.press(Key::Tab);
            order.push_back(driver.focusName());
        }
        EXPECT_EQ(order, expected);
        EXPECT_EQ(order.front(), "cmdCancel");
        driver.press(Key::Tab, kShiftMask);
        EXPECT_EQ(driver.focusName(), expected[expected.size() - 2]);
        driver.view().unload();
    });
}

TEST_F(ConfViewContract, EnterSavesAndClosesEscAndTheCloseButtonWriteNothing)
{
    open([&] {
        driver.focus("txtFileDelDate");
        driver.type("30");
        driver.press(Key::Return);
    });
    EXPECT_EQ(setting("FileDelDate"), "30");
    EXPECT_FALSE(driver.shown());

    const std::string before = ini();
    for (const bool escape : {true, false}) {
        EXPECT_FALSE(openAgain([&](ConfDriver& again) {
                         again.focus("txtPrintFile");
                         again.type("9");
                         EXPECT_TRUE(again.view().applyEnabled()) << "the key went in";
                         escape ? again.press(Key::Escape) : again.closeWindow();
                     })->shown());
    }
    EXPECT_EQ(ini(), before);
}

TEST_F(ConfViewContract, ThePrinterListChoiceMarksItTypingAndEnterDoNot)
{
    open([&] {
        driver.focus("cmbPrint");
        driver.type("PDF2"); // the name of an entry, typed
        EXPECT_EQ(driver.view().text(ConfField::cmbPrint), "PDF2");
        EXPECT_FALSE(driver.view().applyEnabled());
        driver.press(Key::Return); // OK: closes without a save
    });
    EXPECT_EQ(ini(), kIni);

    openAgain([&](ConfDriver& again) {
        again.focus("cmbPrint");
        again.press(Key::Down); // the next entry: PDF2
        EXPECT_TRUE(again.view().applyEnabled());
        again.click("cmdOK");
    });
    EXPECT_EQ(setting("PrinterNm"), "PDF2");
}

TEST_F(ConfViewContract, CtrlTabChangesTheTabFromAnyControlAndShowsItsPage)
{
    open([&] {
        driver.focus("txtChkTime");
        driver.press(Key::Tab, kCtrlMask);
        EXPECT_EQ(driver.view().selectedTab(), 2);
        EXPECT_FALSE(driver.inSight("fraTab0"));
        EXPECT_FALSE(driver.enabled("fraTab0"));
        EXPECT_TRUE(driver.inSight("fraTab1"));
        EXPECT_TRUE(driver.enabled("fraTab1"));

        driver.focus("txtFileChkDir");
        driver.press(Key::Tab, kCtrlMask | kShiftMask);
        EXPECT_EQ(driver.view().selectedTab(), 1);
        driver.focus("TabMain");
        driver.press(Key::Tab, kCtrlMask | kShiftMask);
        EXPECT_EQ(driver.view().selectedTab(), 3);
        EXPECT_EQ(driver.focusName(), "TabMain"); // Ctrl+Tab itself moves no focus
        EXPECT_TRUE(driver.inSight("fraTab2"));
        EXPECT_FALSE(driver.inSight("fraTab1"));
        EXPECT_EQ(ini(), kIni); // the text boxes took no tab character
        driver.closeWindow();
    });
    EXPECT_EQ(ini(), kIni);
}

TEST_F(ConfViewContract, TextChangedOnlyForADifferentTextAndNeverForThePrinterBox)
{
    std::vector<ConfField> changed;
    int tabClicks = 0;
    ConfView::Events events;
    events.textChanged = [&](ConfField field) { changed.push_back(field); };
    events.tabMainClick = [&] { ++tabClicks; };
    ConfView& view = driver.view();
    view.setEvents(events);
    view.setText(ConfField::txtPrintFile, "abc");
    view.setText(ConfField::txtPrintFile, "abc");
    view.setText(ConfField::cmbPrint, "PDF9");
    view.setText(ConfField::txtChkTime, "500");
    EXPECT_EQ(changed, (std::vector<ConfField>{ConfField::txtPrintFile, ConfField::txtChkTime}));
    EXPECT_EQ(view.text(ConfField::cmbPrint), "PDF9");

    view.selectTab(3);
    view.selectTab(3);
    EXPECT_EQ(view.selectedTab(), 3);
    EXPECT_EQ(tabClicks, 1);
}

} // namespace
} // namespace kumoden::test
