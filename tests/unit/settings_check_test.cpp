// The settings check on real files in a temporary folder, through the fake
// that denies rights on demand, with a fake print system.
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_services.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_platform.h"
#include "watch/settings_check.h"
#include "watch/settings_check_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

namespace kumoden::test {
namespace {

namespace fs = std::filesystem;

// A good setup on real files: the watched folder "in", an executable
// reader, the printer PDF; tests spoil one part of it.
struct Bench {
    Bench()
    {
        fs::create_directory(dir.path() / "in");
        const fs::path reader = dir.write("reader.exe", "#!/bin/sh\n");
        fs::permissions(reader, fs::perms::owner_all, fs::perm_options::add);
        keys = {{"FileChkTime", "1000"},     {"FileChkDir", in()}, {"FileSelect", "job"},
                {"AcrExeDir", readerPath()}, {"PrinterNm", "PDF"}, {"FileDelDate", "7"}};
        printers.set({{"PDF", "cups", "pdf:/"}, {"Jam", "cups", "jam:/"}});
    }

    std::string in() const { return dir.slash() + "in"; }
    std::string archive() const { return in() + sep + "BackPdf" + sep; }
    std::string readerPath() const { return dir.slash() + "reader.exe"; }
    std::string iniPath() const { return dir.slash() + "kumoden.INI"; }

    std::vector<CheckLine> check()
    {
        std::string ini = "[FileCheck_Info]\r\n";
        for (const auto& [key, value] : keys) {
            ini += key + "=" + value + "\r\n";
        }
        dir.write("kumoden.INI", ini);
        return CheckSettings(iniPath(), {files, printers, *profile});
    }

    // The line of one item.
    static const CheckLine& lineOf(const std::vector<CheckLine>& lines, CheckItem item)
    {
        return *std::find_if(lines.begin(), lines.end(),
                             [&](const CheckLine& line) { return line.item == item; });
    }

    TempDir dir;
    std::unique_ptr<FileSystem> real = MakeFileSystem();
    fake::FakeFileSystem files{*real};
    const char sep = files.separator();
    std::unique_ptr<Profile> profile = MakeProfile();
    fake::FakePrinterList printers;
    std::map<std::string, std::string> keys;
};

class SettingsCheck : public ::testing::Test, public Bench {};

TEST_F(SettingsCheck, AGoodSetupPassesEveryItemInOrderCountsTheWaitingFilesAndTouchesNothing)
{
    for (const char* name : {"job1.pdf", "JOB2.PDF", "other.pdf", "job3.txt"}) {
        dir.write(fs::path("in") / name, "%PDF");
    }
    const std::vector<CheckLine> lines = check();
    ASSERT_EQ(lines.size(), 9u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].item, static_cast<CheckItem>(i));
        EXPECT_TRUE(lines[i].ok()) << CheckLineText(lines[i], Language::english);
    }
    EXPECT_EQ(CheckExitCode(lines), 0);
    EXPECT_EQ(lineOf(lines, CheckItem::fileSelect).number, 2);
    EXPECT_EQ(lineOf(lines, CheckItem::interval).number, 1000);
    EXPECT_EQ(lineOf(lines, CheckItem::retention).number, 7);
    EXPECT_EQ(lineOf(lines, CheckItem::archiveFolder).finding, Finding::archiveToBeMade);
    EXPECT_FALSE(fs::exists(dir.path() / "in" / "BackPdf"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);

    const std::string report = CheckReport(lines, Language::english);
    EXPECT_NE(report.find("[OK] settings file: " + iniPath() + "\n"), std::string::npos) << report;
    EXPECT_NE(report.find("[OK] file-name start: job*.pdf (2 PDF files waiting)\n"), std::string::npos);
    EXPECT_NE(report.find("[OK] reader: " + readerPath() + " (default command line)\n"), std::string::npos);
    EXPECT_TRUE(report.ends_with("\n[OK] retention: 7 days\nAll settings usable\n")) << report;
    EXPECT_TRUE(
        CheckReport(lines, Language::japanese).ends_with("[OK] 保存日数: 7 日\nすべての設定が使えます\n"));
}

// One setting spoilt; what the check finds for its item, and its words.
struct Spoilt {
    const char* what;
    std::function<void(Bench&)> spoil;
    CheckItem item;
    Finding finding;
    std::string english; // a part of the English line
};

void expect(const std::vector<Spoilt>& cases)
{
    {
        for (const Spoilt& spoilt : cases) {
            Bench fresh;
            spoilt.spoil(fresh);
            const std::vector<CheckLine> lines = fresh.check();
            const CheckLine& line = Bench::lineOf(lines, spoilt.item);
            const std::string text = CheckLineText(line, Language::english);
            EXPECT_EQ(line.finding, spoilt.finding) << spoilt.what << ": " << text;
            EXPECT_TRUE(text.starts_with("[NG] ")) << spoilt.what << ": " << text;
            EXPECT_NE(text.find(spoilt.english), std::string::npos) << spoilt.what << ": " << text;
            EXPECT_EQ(CheckExitCode(lines), 1) << spoilt.what;
            EXPECT_TRUE(CheckReport(lines, Language::english).ends_with("\n1 settings unusable\n"))
                << spoilt.what << "\n"
                << CheckReport(lines, Language::english);
        }
    }
}

TEST(SettingsCheckFinds, EachReasonTheIniTheIntervalOrTheFoldersWouldFail)
{
    using S = Bench;
    expect({
        {"interval not a number", [](S& s) { s.keys["FileChkTime"] = "often"; }, CheckItem::interval,
         Finding::intervalUnusable, "\"often\" is not usable"},
        {"interval below zero", [](S& s) { s.keys["FileChkTime"] = "-5"; }, CheckItem::interval,
         Finding::intervalUnusable, "\"-5\""},
        {"interval too long", [](S& s) { s.keys["FileChkTime"] = "2147483648"; }, CheckItem::interval,
         Finding::intervalUnusable, "not usable"},
        {"interval zero", [](S& s) { s.keys["FileChkTime"] = "0"; }, CheckItem::interval,
         Finding::intervalZero, "0 ms (no ticks)"},
        {"interval missing", [](S& s) { s.keys.erase("FileChkTime"); }, CheckItem::interval,
         Finding::intervalZero, "no ticks"},
        {"archive a file", [](S& s) { s.dir.write(fs::path("in") / "BackPdf", "x"); },
         CheckItem::archiveFolder, Finding::archiveIsFile, "a file stands where"},
        {"archive not writable",
         [](S& s) {
             fs::create_directory(s.dir.path() / "in" / "BackPdf");
             s.files.denyWriteInto(s.archive());
         },
         CheckItem::archiveFolder, Finding::archiveNotWritable,
         "BackPdf" + std::string(1, Bench().sep) + " is not writable"},
        {"no archive, watched folder takes nothing", [](S& s) { s.files.denyWriteInto(s.in() + s.sep); },
         CheckItem::archiveFolder, Finding::archiveCannotBeMade, "takes no new entries"},
        {"just under 1 MiB free", [](S& s) { s.files.setRoom(kLeastFreeSpace - 1); }, CheckItem::freeSpace,
         Finding::roomTooLittle, "only 0.9 MB"},
    });
    // Settings that are wrong for more than one item: the item asked about.
    for (const auto& [what, spoil, item, finding] :
         std::vector<std::tuple<const char*, std::function<void(Bench&)>, CheckItem, Finding>>{
             {"watched folder missing", [](S& s) { s.keys["FileChkDir"] = s.in() + "-gone"; },
              CheckItem::watchedFolder, Finding::folderMissing},
             {"watched folder a file", [](S& s) { s.keys["FileChkDir"] = s.iniPath(); },
              CheckItem::watchedFolder, Finding::folderIsFile},
             {"watched folder unlistable", [](S& s) { s.files.setQueryError("Permission denied"); },
              CheckItem::watchedFolder, Finding::folderUnreadable},
             {"no room known", [](S& s) { s.keys["FileChkDir"] = s.in() + "-gone"; }, CheckItem::freeSpace,
              Finding::roomUnknown},
         }) {
        Bench fresh;
        spoil(fresh);
        const auto lines = fresh.check();
        EXPECT_EQ(Bench::lineOf(lines, item).finding, finding) << what;
        EXPECT_FALSE(Bench::lineOf(lines, item).ok()) << what;
    }
    // Exactly 1 MiB is enough.
    Bench roomy;
    roomy.files.setRoom(kLeastFreeSpace);
    EXPECT_EQ(Bench::lineOf(roomy.check(), CheckItem::freeSpace).finding, Finding::roomEnough);
}

TEST(SettingsCheckFinds, EachReasonTheSelectionTheReaderThePrinterOrTheRetentionWouldFail)
{
    using S = Bench;
    expect({
        {"selection with /", [](S& s) { s.keys["FileSelect"] = "sub/job"; }, CheckItem::fileSelect,
         Finding::selectionLeavesFolder, "sub/job*.pdf holds a folder separator"},
        {"selection with \\", [](S& s) { s.keys["FileSelect"] = "..\\job"; }, CheckItem::fileSelect,
         Finding::selectionLeavesFolder, "nothing would be printed"},
        {"reader empty", [](S& s) { s.keys.erase("AcrExeDir"); }, CheckItem::reader, Finding::readerNotSet,
         "not set"},
        {"reader without folder", [](S& s) { s.keys["AcrExeDir"] = "reader.exe"; }, CheckItem::reader,
         Finding::readerWithoutFolder, "give its full path"},
        {"reader missing", [](S& s) { s.keys["AcrExeDir"] = s.dir.slash() + "gone.exe"; }, CheckItem::reader,
         Finding::readerMissing, "gone.exe does not exist"},
        {"reader a folder", [](S& s) { s.keys["AcrExeDir"] = s.in(); }, CheckItem::reader,
         Finding::readerNotAFile, "is not a file"},
        {"reader cannot run", [](S& s) { s.files.denyRun(s.readerPath()); }, CheckItem::reader,
         Finding::readerCannotRun, "cannot be started"},
        {"printer unknown", [](S& s) { s.keys["PrinterNm"] = "Nope"; }, CheckItem::printer,
         Finding::printerUnknown, "Nope is unknown to the print system"},
        {"no default", [](S& s) { s.keys.erase("PrinterNm"); }, CheckItem::printer, Finding::printerNoDefault,
         "no default destination"},
        {"default rejecting",
         [](S& s) {
             s.keys.erase("PrinterNm");
             s.printers.defaultPrinter = "Jam";
             s.printers.rejecting.insert("Jam");
         },
         CheckItem::printer, Finding::printerRejecting, "Jam is not accepting jobs"},
        {"printer stopped",
         [](S& s) {
             s.keys["PrinterNm"] = "Jam";
             s.printers.stopped.insert("Jam");
         },
         CheckItem::printer, Finding::printerStopped, "Jam is stopped: stopped by the test"},
        {"print system away", [](S& s) { s.printers.setStatus(PrinterListStatus::unreachable); },
         CheckItem::printer, Finding::printerSystemUnreachable, "print system not reachable"},
        {"print system silent", [](S& s) { s.printers.setStatus(PrinterListStatus::noAnswer); },
         CheckItem::printer, Finding::printerSystemSilent, "print system did not answer"},
        {"retention not days", [](S& s) { s.keys["FileDelDate"] = "a week"; }, CheckItem::retention,
         Finding::retentionUnreadable, "\"a week\" is not a number of days"},
        {"retention beyond the purge's range", [](S& s) { s.keys["FileDelDate"] = "40000"; },
         CheckItem::retention, Finding::retentionUnreadable, "not a number of days"},
    });
}

TEST_F(SettingsCheck, TheDefaultPrinterSumatraAndEndlessOrImmediateRetentionAreGoodAndSaidSo)
{
    keys.erase("PrinterNm");
    keys.erase("FileDelDate");
    printers.defaultPrinter = "PDF";
    const fs::path sumatra = dir.write("SumatraPDF-3.5.exe", "");
    fs::permissions(sumatra, fs::perms::owner_all, fs::perm_options::add);
    keys["AcrExeDir"] = utf8(sumatra);
    auto lines = check();
    EXPECT_EQ(CheckExitCode(lines), 0) << CheckReport(lines, Language::english);
    EXPECT_EQ(CheckLineText(lineOf(lines, CheckItem::printer), Language::english),
              "[OK] printer: PDF (default destination)");
    EXPECT_EQ(CheckLineText(lineOf(lines, CheckItem::reader), Language::japanese),
              "[OK] 印刷プログラム: " + utf8(sumatra) + " (SumatraPDF のコマンドライン)");
    EXPECT_EQ(CheckLineText(lineOf(lines, CheckItem::retention), Language::english),
              "[OK] retention: empty (kept for ever)");
    keys["FileDelDate"] = "0";
    lines = check();
    EXPECT_EQ(CheckLineText(lineOf(lines, CheckItem::retention), Language::english),
              "[OK] retention: 0 days (deleted at the next tick)");
}

TEST_F(SettingsCheck, AMissingOrUnreadableIniIsNamedAndTheRestIsCheckedWithEmptySettings)
{
    const std::string missing = dir.slash() + "none.INI";
    auto lines = CheckSettings(missing, {files, printers, *profile});
    EXPECT_EQ(CheckLineText(lines.front(), Language::english),
              "[NG] settings file: " + missing + " does not exist");
    EXPECT_EQ(CheckLineText(lines.front(), Language::japanese),
              "[NG] 設定ファイル: " + missing + " がありません");
    EXPECT_EQ(lineOf(lines, CheckItem::reader).finding, Finding::readerNotSet);
    const std::string report = CheckReport(lines, Language::japanese);
    EXPECT_TRUE(report.ends_with("\n使えない設定が 4 件あります\n")) << report;

    lines = CheckSettings(dir.slash() + "in", {files, printers, *profile});
    EXPECT_EQ(lines.front().finding, Finding::iniIsFolder);
}

TEST(CheckLanguage, TheFirstLocaleVariableSetDecidesAndOnlyCPosixAndEnglishAreEnglish)
{
    const std::vector<std::tuple<std::string, std::string, std::string, Language>> cases{
        {"", "", "", Language::japanese},
        {"", "", "C", Language::english},
        {"", "", "POSIX", Language::english},
        {"", "", "C.UTF-8", Language::english},
        {"", "", "en_US.UTF-8", Language::english},
        {"", "", "ja_JP.UTF-8", Language::japanese},
        {"", "", "de_DE.UTF-8", Language::japanese},
        {"ja_JP.UTF-8", "C", "C", Language::japanese},
        {"", "en_GB.UTF-8", "ja_JP.UTF-8", Language::english},
        {"C", "ja_JP.UTF-8", "", Language::english},
        {"", "ja_JP.UTF-8", "C", Language::japanese},
    };
    for (const auto& [all, messages, lang, expected] : cases) {
        EXPECT_EQ(LanguageOfLocale(all, messages, lang), expected) << all << "|" << messages << "|" << lang;
    }
}

} // namespace
} // namespace kumoden::test
