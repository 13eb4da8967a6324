#pragma once

#include "tests/support/print_outputs.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kumoden::test {

struct RunResult {
    int exitCode = -1; // -1 when the program did not end by itself
    std::string out;
    std::string err;
};

// Runs a program (no shell) with extra NAME=VALUE environment entries and
// waits for it, at most the given time (then it is killed).
RunResult runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {},
                     std::chrono::seconds limit = std::chrono::seconds(30));

// A one-page PDF that Ghostscript renders without complaint.
std::string tinyPdf();

// The built kumoden-print beside the other programs.
std::filesystem::path kumodenPrintProgram();

// "device for NAME: URI" lines of lpstat -v, in their order.
std::vector<std::pair<std::string, std::string>> lpstatDevices();

} // namespace kumoden::test
