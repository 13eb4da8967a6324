#pragma once

#include "tests/support/pdf.h"
#include "tests/support/process.h"
#include "tests/support/programs.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kumoden::test {

// The built program copied into a folder of its own with its INI, started
// against the tests' own scheduler; its cups-pdf queue PDF2 is the printer.
class E2e : public ::testing::Test {
protected:
    E2e();

    std::filesystem::path app() const { return dir.path() / "app"; }
    std::filesystem::path in() const { return dir.path() / "in"; }
    std::filesystem::path backup(const std::string& name) const { return in() / "BackPdf" / name; }
    // The INI with the given lines below [FileCheck_Info].
    void writeIni(const std::string& body, const std::string& name = "kumoden.INI");
    // 300 ms ticks on the watched folder with the reader given, and more lines.
    void writeWatchIni(const std::string& reader, const std::string& more = "",
                       const std::string& name = "kumoden.INI");
    // A working setup: files starting with "job", kumoden-print, queue PDF2.
    void writeWorkingIni();
    // A reader that prints nothing.
    static std::string noPrinting() { return installedProgram("true").string(); }
    std::string log() const { return readFile(app() / "kumoden.log"); }
    void start(const std::vector<std::string>& extra = {});
    // Headless: the tests that need X start a server of their own.
    static std::vector<std::string> environment(std::vector<std::string> extra = {});
    std::filesystem::path drop(const std::string& name);
    // Whether all the files named are in the archive within the time given.
    bool archived(const std::vector<std::string>& names,
                  std::chrono::milliseconds limit = std::chrono::seconds(30)) const;
    // An executable shell script beside the program, its body after "#!/bin/sh".
    std::filesystem::path script(const std::string& name, const std::string& body) const;
    // The start of the log's line for the launch of the reader on an archived file.
    std::string launchLine(const std::string& name,
                           const std::string& reader = builtProgram("kumoden-print").string()) const;

    TempDir dir;
    std::unique_ptr<Process> kumoden;
};

} // namespace kumoden::test
