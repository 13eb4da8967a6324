// The forms' designs, which every view on every platform builds from.
#include "app/splash_design.h"
#include "settings_ui/form_designs.h"
#include "tray/about_design.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kumoden::test {
namespace {

// What every view, on every platform, takes for granted of a design.
void checkDesign(const FormDesign& form)
{
    SCOPED_TRACE(std::string(form.name));
    std::set<std::string_view> names;
    std::set<int> stops;
    for (const ControlDesign& control : form.controls) {
        SCOPED_TRACE(std::string(control.name));
        EXPECT_TRUE(names.insert(control.name).second) << "named twice";
        // Inside what holds it: a page made before it, or the form.
        TwipsBox outer{0, 0, form.clientWidth, form.clientHeight};
        if (!control.container.empty()) {
            ASSERT_TRUE(names.contains(control.container)) << "its page comes later or not at all";
            const ControlDesign& page = form.control(control.container);
            EXPECT_EQ(page.kind, ControlKind::Page);
            outer = {0, 0, page.box.width, page.box.height};
        }
        const TwipsBox& box = control.box;
        EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.left + box.width <= outer.width &&
                    box.top + box.height <= outer.height);
        if (control.tabIndex >= 0) {
            EXPECT_TRUE(stops.insert(control.tabIndex).second)
                << "tab index " << control.tabIndex << " twice";
        }
    }
    // Tab indexes run 0, 1, 2, ... as the platforms number them.
    EXPECT_TRUE(stops.empty() ||
                (*stops.begin() == 0 && *stops.rbegin() == static_cast<int>(stops.size()) - 1));
    EXPECT_EQ(form.tabOrder().size(), stops.size());
}

TEST(FormDesigns, EveryControlIsNamedOnceFitsWhatHoldsItAndHasItsOwnTabStop)
{
    for (const FormDesign* form :
         {&FrmConfDesign(), &FrmFileDesign(), &FrmExeDesign(), &FrmAboutDesign(), &FrmStartDesign()}) {
        checkDesign(*form);
    }
    // The settings dialog's focus starts past the disabled Apply, on Cancel.
    const auto order = FrmConfDesign().tabOrder();
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], "cmdApply");
    EXPECT_FALSE(FrmConfDesign().control(order[0]).enabled);
    EXPECT_EQ(order[1], "cmdCancel");
    EXPECT_THROW(FrmConfDesign().control("nothing"), std::out_of_range);
}
} // namespace
} // namespace kumoden::test
