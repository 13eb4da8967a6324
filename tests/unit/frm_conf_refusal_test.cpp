// The settings dialog's presenter: which texts OK and Apply refuse, and
// which they take as the file holds them.
#include "tests/unit/conf_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kumoden::test {
namespace {

// Texts typed into a field and saved, each alone: what is refused, and what
// an accepted one reads as.
struct Entry {
    F field;
    std::string text;
    bool accepted;
    std::string readAs; // the record's value after the save, for an accepted text
};
const Entry kEntries[] = {
    // Every interval the record reads as 0 ms or more (see NumberText for the reading).
    {F::txtChkTime, " 2147483647 ", true, "2147483647"},
    {F::txtChkTime, "13.5", true, "14"},
    {F::txtChkTime, "-0.4", true, "0"},
    {F::txtChkTime, "abc", false, ""},
    {F::txtChkTime, "", false, ""},
    {F::txtChkTime, "-1", false, ""},
    {F::txtChkTime, "１０００", false, ""},
    // Every retention the purge reads as days; blank turns it off.
    {F::txtFileDelDate, "-3", true, "-3"},
    {F::txtFileDelDate, "2.5", true, "2.5"},
    {F::txtFileDelDate, "-32768", true, "-32768"},
    {F::txtFileDelDate, "32767", true, "32767"},
    {F::txtFileDelDate, "abc", false, ""},
    {F::txtFileDelDate, "32768", false, ""},
    {F::txtFileDelDate, "32767.5", false, ""},
    // A file-name start that stays in the watched folder.
    {F::txtPrintFile, "請求*", true, "請求*"},
    {F::txtPrintFile, "../x", false, ""},
    {F::txtPrintFile, "sub\\x", false, ""},
};

// The label the refusal names the field by.
const char* labelOf(F field)
{
    return field == F::txtChkTime       ? "チェック間隔"
           : field == F::txtFileDelDate ? "保存期間"
                                        : "出力ファイル名";
}
TEST_F(Conf, OkAndApplyRefuseOnlyWhatTheWatchCannotUse)
{
    open([&] {
        for (const Entry& c : kEntries) {
            const auto shown = messages.shown().size();
            const auto written = profile.written.size();
            const std::string accepted = view.text(c.field);
            view.type(c.field, c.text);
            view.clickApply();
            if (c.accepted) {
                EXPECT_EQ(messages.shown().size(), shown) << c.text;
                EXPECT_EQ(recordOf(c.field), c.readAs) << c.text;
                continue;
            }
            view.clickOK();
            ASSERT_EQ(messages.shown().size(), shown + 2) << c.text;
            const fake::ShownMessage& told = messages.shown().back();
            EXPECT_NE(told.text.find(labelOf(c.field)), std::string::npos) << told.text;
            EXPECT_EQ(told.title, "環境設定画面");
            // Nothing written; the edit stays, the dialog stays dirty and open.
            EXPECT_EQ(profile.written.size(), written) << c.text;
            EXPECT_EQ(view.text(c.field), c.text);
            EXPECT_TRUE(view.applyEnabled());
            EXPECT_TRUE(view.isOpen());
            view.type(c.field, accepted);
        }
        view.type(F::txtChkTime, "0");
        view.type(F::txtFileDelDate, "");
        view.type(F::txtPrintFile, "abc");
        view.clickOK();
    });
    EXPECT_EQ(view.unloads, 1);
    EXPECT_EQ(timer.interval(), 0);
    EXPECT_NE(ini().find("FileDelDate=\r\n"), std::string::npos);
}

// What the file holds and the user leaves alone is no edit: marked by the
// fill, it goes back exactly as read, beside the field the user did change,
// and nothing is refused.
TEST_F(Conf, WhatTheFileHoldsAndTheUserLeavesAloneGoesBackAsReadAndIsNotRefused)
{
    // An earlier opening left the folder and the reader in the record; the
    // file below names neither.
    open([&] { view.clickCancel(); });
    const auto told = messages.shown().size();
    const std::string unreadable = "[FileCheck_Info]\r\nFileChkTime=1000\r\nFileSelect=sub/abc\r\n"
                                   "FileDelDate=7 ; days\r\n";
    dir.write("kumoden.INI", unreadable);
    profile.written.clear();
    open([&] {
        EXPECT_EQ(view.text(F::txtFileDelDate), "7 ; days");
        EXPECT_EQ(frmConf.Tag(F::txtFileDelDate), "C_UPDATE");
        view.type(F::txtChkTime, "2000");
        view.clickOK();
    });
    EXPECT_EQ(messages.shown().size(), told);
    EXPECT_EQ(view.unloads, 2);
    EXPECT_EQ(timer.interval(), 2000);
    EXPECT_EQ(profile.written,
              (std::vector<std::string>{"FileChkTime=2000", "FileChkDir=/srv/in", "AcrExeDir=/opt/reader",
                                        "FileSelect=sub/abc", "FileDelDate=7 ; days"}));
    EXPECT_NE(ini().find("FileDelDate=7 ; days\r\n"), std::string::npos);
    EXPECT_EQ(info.FileDelDate, "7 ; days");
}

// Typed over a readable value, the texts left alone above are the user's
// and are refused; put back as read, they are not.
TEST_F(Conf, TheSameTextsTypedByTheUserAreRefusedUntilPutBackAsRead)
{
    const auto told = messages.shown().size();
    open([&] {
        view.type(F::txtFileDelDate, "7 ; days");
        view.clickApply();
        view.type(F::txtFileDelDate, "7");
        view.type(F::txtPrintFile, "sub/abc");
        view.clickApply();
        EXPECT_TRUE(profile.written.empty());
        view.type(F::txtPrintFile, "abc");
        view.clickOK();
    });
    EXPECT_EQ(messages.shown().size(), told + 2);
    EXPECT_EQ(view.unloads, 1);
    EXPECT_EQ(profile.written.back(), "FileDelDate=7");
}

} // namespace
} // namespace kumoden::test
