#pragma once

#include <string>
#include <vector>

namespace kumoden {

// What the program was asked to do from its command line.
struct CommandLine {
    enum class Action {
        Run,     // the resident program, as without options
        Version, // print the version and end
        Help,    // print what the program does and where its INI is, and end
        Check,   // check the settings as a tick would use them, print the lines, and end
        Refused, // an option it does not know: error holds the one line to print
    };
    Action action = Action::Run;
    // The INI named with --ini; empty: the usual place.
    std::string iniPath;
    std::string error;
};

// The exit code of a refused command line.
inline constexpr int kUsageExitCode = 2;

// Reads the arguments after the program's name: --version, --help (-h),
// --check, --ini PATH (or --ini=PATH). The first --version or --help
// decides, whatever else is there; else --check does;
// anything else, an argument that is no option included, is refused.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// "kumoden <version>".
std::string VersionText(const std::string& version);
// What --help prints: what the program does, its options, and the INI and
// log this user's program would use.
std::string HelpText(const std::string& iniPath, const std::string& logPath);

} // namespace kumoden
