#include "app/command_line.h"

#include <gtest/gtest.h>

namespace kumoden {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, VersionAndHelpEndTheProgramAndTheFirstOneDecides)
{
    EXPECT_EQ(ParseCommandLine({"--version"}).action, Action::Version);
    EXPECT_EQ(ParseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--help", "--version"}).action, Action::Help);
    // The help names the INI the run would use.
    EXPECT_EQ(ParseCommandLine({"--ini", "/srv/a.INI", "--help"}).iniPath, "/srv/a.INI");
    EXPECT_EQ(VersionText("1.2.0"), "kumoden 1.2.0\n");
    const std::string help =
        HelpText("/home/me/.config/kumoden/kumoden.INI", "/home/me/.config/kumoden/kumoden.log");
    EXPECT_NE(help.find("Settings: /home/me/.config/kumoden/kumoden.INI\n"), std::string::npos);
    EXPECT_NE(help.find("Log:      /home/me/.config/kumoden/kumoden.log\n"), std::string::npos);
}

TEST(CommandLine, NoOptionsRunsAsAlwaysAndIniTakesThePathAsTheNextArgumentOrAfterAnEqualsSign)
{
    EXPECT_EQ(ParseCommandLine({}).action, Action::Run);
    EXPECT_TRUE(ParseCommandLine({}).iniPath.empty());
    EXPECT_EQ(ParseCommandLine({"--ini", "/srv/print.INI"}).iniPath, "/srv/print.INI");
    EXPECT_EQ(ParseCommandLine({"--ini=/srv/print.INI"}).iniPath, "/srv/print.INI");
    // The next argument is the path even when it looks like an option.
    EXPECT_EQ(ParseCommandLine({"--ini", "--odd name.INI"}).iniPath, "--odd name.INI");
    // The last one named wins.
    const CommandLine twice = ParseCommandLine({"--ini", "a.INI", "--ini=b.INI"});
    EXPECT_EQ(twice.action, Action::Run);
    EXPECT_EQ(twice.iniPath, "b.INI");
}

TEST(CommandLine, AnythingElseIsRefusedWithOneLine)
{
    const std::vector<std::vector<std::string>> refused{
        {"--verbose"}, {"-platform", "offscreen"}, {"--ini"},    {"--ini="}, {"--ini", ""},
        {"file.pdf"},  {"--version", "--bogus"},   {"--Version"}};
    for (const auto& arguments : refused) {
        const CommandLine line = ParseCommandLine(arguments);
        EXPECT_EQ(line.action, Action::Refused) << arguments.front();
        EXPECT_TRUE(line.error.starts_with("kumoden: ")) << line.error;
        EXPECT_EQ(line.error.find('\n'), std::string::npos) << line.error;
    }
    EXPECT_NE(ParseCommandLine({"--verbose"}).error.find("'--verbose'"), std::string::npos);
    EXPECT_EQ(kUsageExitCode, 2);
}

} // namespace
} // namespace kumoden
