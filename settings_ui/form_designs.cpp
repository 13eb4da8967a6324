#include "settings_ui/form_designs.h"

namespace kumoden {
namespace {

using K = ControlKind;

constexpr FontDesign kLabelFont{12, true};
constexpr FontDesign kBoxFont{12, true};
constexpr FontDesign kCaptionFont{11.25, true};

ControlDesign label(std::string_view name, std::string_view caption, TwipsBox box, FontDesign font,
                    std::string_view page)
{
    return Control(name, K::Label, box).withCaption(caption).withFont(font).onPage(page);
}

// A setting's box on a page, in the 12 pt bold the boxes share.
ControlDesign textBox(std::string_view name, TwipsBox box, std::string_view page, int tabIndex)
{
    return Control(name, K::TextBox, box).withFont(kBoxFont).onPage(page).tabStop(tabIndex);
}

ControlDesign browse(std::string_view name, TwipsBox box, int tabIndex)
{
    return Control(name, K::Button, box)
        .withCaption("参照")
        .withFont(kCaptionFont)
        .onPage("fraTab1")
        .tabStop(tabIndex);
}

} // namespace

const FormDesign& FrmConfDesign()
{
    static const FormDesign design{
        "frmConf",
        "環境設定画面",
        6015,
        3420,
        {
            Control("TabMain", K::TabStrip, {120, 120, 5775, 2775})
                .withCaptions({"ファイル情報", "ディレクトリー情報", "出力ファイル条件"})
                .withFont({9.75, true})
                .tabStop(3),
            Control("fraTab0", K::Page, {0, 0, 5535, 2175}),
            Control("fraTab1", K::Page, {0, 0, 5535, 2175}),
            Control("fraTab2", K::Page, {0, 0, 5535, 2175}),
            // Page 1: the interval (always milliseconds) and the retention.
            label("lblChkTime", "チェック間隔", {360, 480, 1575, 255}, kLabelFont, "fraTab0"),
            textBox("txtChkTime", {2160, 360, 975, 375}, "fraTab0", 4).rightAligned(),
            label("lblMin", "ミリ秒", {3240, 480, 855, 255}, kLabelFont, "fraTab0"),
            label("Label1", "保存期間", {360, 1200, 1575, 255}, kLabelFont, "fraTab0"),
            textBox("txtFileDelDate", {2160, 1080, 975, 375}, "fraTab0", 11).rightAligned(),
            label("Label2", "日", {3240, 1200, 495, 255}, kLabelFont, "fraTab0"),
            // Page 2: the watched folder and the reader.
            label("lblChkFileDir", "印刷チェック場所", {120, 240, 1815, 255}, kCaptionFont, "fraTab1"),
            textBox("txtFileChkDir", {120, 480, 5295, 375}, "fraTab1", 5),
            browse("cmdChkDir", {4560, 120, 855, 375}, 7),
            label("lblAcroExe", "Acrobat Reader 場所", {120, 960, 2535, 375}, kCaptionFont, "fraTab1"),
            textBox("txtAcroExe", {120, 1320, 5295, 375}, "fraTab1", 6),
            browse("cmdAcrExeDir", {4560, 960, 855, 375}, 8),
            // Page 3: what the files' names start with, and the printer.
            label("lblPrintFile1", "出力ファイル名 ", {120, 240, 1815, 255}, kCaptionFont, "fraTab2"),
            textBox("txtPrintFile", {120, 480, 5295, 375}, "fraTab2", 9),
            label("lblInfo", "全てのファイルを対象とする場合は、【*】を入力して下さい。",
                  {120, 1080, 5295, 255}, {9, true}, "fraTab2")
                .colored(0xFF0000),
            label("lblPrintFile0", "印刷プリンタ", {120, 1440, 1815, 255}, kCaptionFont, "fraTab2"),
            Control("cmbPrint", K::ComboBox, {120, 1680, 5295, 360})
                .withFont(kBoxFont)
                .onPage("fraTab2")
                .tabStop(10),
            // Apply starts disabled, so the focus starts on Cancel.
            Control("cmdOK", K::Button, {2040, 3000, 1215, 315}).withCaption("OK").tabStop(2).defaultButton(),
            Control("cmdCancel", K::Button, {3360, 3000, 1215, 315}).withCaption("キャンセル").tabStop(1),
            Control("cmdApply", K::Button, {4680, 3000, 1215, 315})
                .withCaption("適用(&A)")
                .tabStop(0)
                .disabled(),
        },
    };
    return design;
}

namespace {

// What both pickers share: the drive and folder lists and the two buttons,
// all in 12 pt, the buttons where each form has them.
std::vector<ControlDesign> pickerControls(int driveWidth, TwipsBox exec, TwipsBox cancel)
{
    return {
        Control("Drive", K::DriveList, {2880, 120, driveWidth, 360}).withFont({12, true}).tabStop(0),
        Control("DirList", K::FolderList, {120, 120, 2655, 3600}).withFont({12, false}).tabStop(1),
        Control("cmdExec", K::Button, exec).withCaption("選   択").withFont({12, true}).tabStop(2),
        Control("cmdCancel", K::Button, cancel).withCaption("キャンセル").withFont({12, true}).tabStop(3),
    };
}

} // namespace

const FormDesign& FrmFileDesign()
{
    static const FormDesign design{"frmFile", "PDF File", 5085, 3990,
                                   pickerControls(2055, {2880, 600, 2055, 495}, {2880, 1440, 2055, 495})};
    return design;
}

const FormDesign& FrmExeDesign()
{
    static const FormDesign design = [] {
        FormDesign exe{"frmExe", "PDF File", 5190, 3810,
                       pickerControls(2295, {3000, 2520, 2055, 495}, {3000, 3120, 2055, 495})};
        exe.controls.push_back(
            Control("filSelect", K::FileList, {2880, 600, 2295, 1770}).withFont({12, true}).tabStop(4));
        return exe;
    }();
    return design;
}

} // namespace kumoden
