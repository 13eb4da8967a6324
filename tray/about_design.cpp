#include "tray/about_design.h"

namespace kumoden {

const FormDesign& FrmAboutDesign()
{
    using K = ControlKind;
    static const FormDesign design{
        "frmAbout",
        "ﾊﾞｰｼﾞｮﾝ情報",
        5340,
        1995,
        {
            Control("Image1", K::Picture, {0, 0, 1755, 1395}),
            Control("Label1", K::Label, {1800, 0, 2535, 255}).withCaption("Kumoden"),
            Control("Label2", K::Label, {1800, 240, 3375, 255})
                .withCaption("Copyright (C) 2026 Kumoden authors"),
            Control("Label3", K::Label, {1800, 480, 3375, 255}).withCaption("All rights reserved."),
            Control("Label4", K::Label, {1800, 840, 3375, 255}).withCaption("バージョン　"),
            Control("Line1", K::Line, {120, 1440, 5160, 0}),
            Control("cmdOK", K::Button, {3840, 1560, 1380, 345}).withCaption("OK").tabStop(0).defaultButton(),
        },
        {9, false},
    };
    return design;
}

} // namespace kumoden
