#include "tests/integration/cups_test_support.h"

#include "tests/support/temp_dir.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kumoden::test {

RunResult runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                     std::chrono::seconds limit)
{
    TempDir capture;
    const std::string outPath = (capture.path() / "out").string();
    const std::string errPath = (capture.path() / "err").string();

    std::vector<std::string> env = extraEnv;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('=') + 1);
        bool overridden = false;
        for (const auto& extra : extraEnv) {
            overridden = overridden || extra.starts_with(name);
        }
        if (!overridden) {
            env.push_back(text);
        }
    }
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }

    RunResult result;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (status != -1 && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

std::string tinyPdf()
{
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
        "<< /Length 27 >>\nstream\n0 0 1 rg 50 50 100 100 re f\nendstream",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const auto offset : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::filesystem::path kumodenPrintProgram()
{
    const char* build = std::getenv("KUMODEN_BUILD_DIR");
    if (build == nullptr || *build == '\0') {
        throw std::runtime_error("KUMODEN_BUILD_DIR is not set (run the tests through ctest)");
    }
    return std::filesystem::path(build) / "kumoden-print";
}

std::vector<std::pair<std::string, std::string>> lpstatDevices()
{
    std::vector<std::pair<std::string, std::string>> devices;
    std::istringstream lines(runProgram({"lpstat", "-v"}, {"LANG=C", "LC_ALL=C"}).out);
    const std::string lead = "device for ";
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(": ");
        if (line.starts_with(lead) && colon != std::string::npos) {
            devices.emplace_back(line.substr(lead.size(), colon - lead.size()), line.substr(colon + 2));
        }
    }
    return devices;
}

} // namespace kumoden::test
