#pragma once

#include "platform/conf_view.h"

#include <array>
#include <functional>
#include <string_view>
#include <utility>

namespace kumoden {

// The controls of the design that hold the fields, in the order of ConfField.
inline constexpr std::array<std::string_view, 6> kConfFieldControls{
    "txtChkTime", "txtFileDelDate", "txtFileChkDir", "txtAcroExe", "txtPrintFile", "cmbPrint"};

// The event a button of the design raises when clicked; nullptr for a
// control that is no such button.
inline std::function<void()> ConfView::Events::*ConfButtonClick(std::string_view control)
{
    using Click = std::function<void()> ConfView::Events::*;
    static constexpr std::array<std::pair<std::string_view, Click>, 5> clicks{{
        {"cmdOK", &ConfView::Events::cmdOKClick},
        {"cmdCancel", &ConfView::Events::cmdCancelClick},
        {"cmdApply", &ConfView::Events::cmdApplyClick},
        {"cmdChkDir", &ConfView::Events::cmdChkDirClick},
        {"cmdAcrExeDir", &ConfView::Events::cmdAcrExeDirClick},
    }};
    for (const auto& [name, click] : clicks) {
        if (name == control) {
            return click;
        }
    }
    return nullptr;
}

} // namespace kumoden
