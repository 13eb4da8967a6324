#include "app/splash_design.h"

#include "app/start_up.h"

namespace kumoden {

const FormDesign& FrmStartDesign()
{
    using K = ControlKind;
    static const FormDesign design{
        "frmStart",
        "Kumoden Start",
        3675,
        795,
        {
            Control("lblBlue", K::Label, {480, 0, 2775, 255})
                .withCaption("タスクバーに常駐します。")
                .withFont({11.25, true}),
            Control("prbStart", K::ProgressBar, {120, 360, 3495, 375}).upTo(kSplashSteps),
        },
    };
    return design;
}

} // namespace kumoden
