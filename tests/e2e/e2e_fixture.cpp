#include "tests/e2e/e2e_fixture.h"

#include "tests/support/eventually.h"

#include <algorithm>

namespace kumoden::test {

E2e::E2e()
{
    std::filesystem::create_directories(app());
    std::filesystem::create_directories(in());
    std::filesystem::copy_file(builtProgram("kumoden"), app() / "kumoden");
}

void E2e::writeIni(const std::string& body, const std::string& name)
{
    dir.write("app/" + name, "[FileCheck_Info]\r\n" + body);
}

void E2e::writeWatchIni(const std::string& reader, const std::string& more, const std::string& name)
{
    writeIni("FileChkTime=300\r\nFileChkDir=" + in().string() + "\r\nAcrExeDir=" + reader + "\r\n" + more,
             name);
}

void E2e::writeWorkingIni()
{
    writeWatchIni(builtProgram("kumoden-print").string(),
                  "FileSelect=job\r\nPrinterNm=PDF2\r\nFileDelDate=7\r\n");
}

std::vector<std::string> E2e::environment(std::vector<std::string> extra)
{
    extra.insert(extra.begin(), {"DISPLAY=", "QT_QPA_PLATFORM=offscreen"});
    return extra;
}

void E2e::start(const std::vector<std::string>& extra)
{
    kumoden =
        std::make_unique<Process>(std::vector<std::string>{(app() / "kumoden").string()}, environment(extra));
}

std::filesystem::path E2e::drop(const std::string& name)
{
    return dir.write("in/" + name, tinyPdf());
}

bool E2e::archived(const std::vector<std::string>& names, std::chrono::milliseconds limit) const
{
    return eventually(limit, [&] {
        return std::all_of(names.begin(), names.end(),
                           [&](const std::string& name) { return std::filesystem::exists(backup(name)); });
    });
}

std::filesystem::path E2e::script(const std::string& name, const std::string& body) const
{
    const std::filesystem::path file = dir.write("app/" + name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    return file;
}

std::string E2e::launchLine(const std::string& name, const std::string& reader) const
{
    return "印刷プログラムを起動: " + reader + " (" + backup(name).string();
}

} // namespace kumoden::test
