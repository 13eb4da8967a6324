#include "app/command_line.h"

#include <string_view>

namespace kumoden {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    bool checkAsked = false;
    const auto refuse = [&](const std::string& why) {
        CommandLine refused;
        refused.action = CommandLine::Action::Refused;
        refused.error = "kumoden: " + why + " (kumoden --help lists the options)";
        return refused;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        constexpr std::string_view iniEquals = "--ini=";
        if (argument == "--version" || argument == "--help" || argument == "-h") {
            if (line.action == CommandLine::Action::Run) {
                line.action =
                    argument == "--version" ? CommandLine::Action::Version : CommandLine::Action::Help;
            }
        } else if (argument == "--check") {
            checkAsked = true;
        } else if (argument == "--ini" || argument.starts_with(iniEquals)) {
            const bool joined = argument != "--ini";
            if (!joined && i + 1 == arguments.size()) {
                return refuse("--ini needs the path of an INI file");
            }
            const std::string path = joined ? argument.substr(iniEquals.size()) : arguments[++i];
            if (path.empty()) {
                return refuse("--ini needs the path of an INI file");
            }
            line.iniPath = path;
        } else if (argument.starts_with("-")) {
            return refuse("unknown option '" + argument + "'");
        } else {
            return refuse("unexpected argument '" + argument + "'");
        }
    }
    if (checkAsked && line.action == CommandLine::Action::Run) {
        line.action = CommandLine::Action::Check;
    }
    return line;
}

std::string VersionText(const std::string& version)
{
    return "kumoden " + version + "\n";
}

std::string HelpText(const std::string& iniPath, const std::string& logPath)
{
    return "Usage: kumoden [--ini PATH]\n"
           "       kumoden --check [--ini PATH]\n"
           "       kumoden --version | --help\n"
           "\n"
           "Kumoden lives in the notification area. It prints the PDF files that\n"
           "arrive in a watched folder (archiving each in its sub-folder BackPdf and\n"
           "deleting old archives) and every picture put on the clipboard.\n"
           "\n"
           "  --ini PATH   run with the settings in PATH (one instance per INI file;\n"
           "               the log goes beside it)\n"
           "  --check      check the settings as the watch would use them (folders,\n"
           "               reader, printer, ...), one line each, printing and\n"
           "               changing nothing; exit 0 when all are usable, else 1\n"
           "  --version    print the version and exit\n"
           "  --help       print this help and exit\n"
           "\n"
           "Settings: " +
           iniPath +
           "\n"
           "Log:      " +
           logPath +
           "\n"
           "Without --ini the settings are the INI beside the program when it is\n"
           "there or that folder is writable, else the one in the user's settings\n"
           "folder, made by the first save.\n";
}

} // namespace kumoden
