#include "tests/unit/watch_fixture.h"

namespace kumoden::test {

WatchFixture::WatchFixture()
{
    info.FileChkTime = 1000;
    info.FileChkDir = dir.path().string();
    info.AcrExeDir = "/opt/reader/kumoden-print";
    info.PrinterNm = "PDF";
    printers.set(
        {{"Office", "Office Driver", "usb://office"}, {"PDF", "Generic CUPS-PDF Printer", "cups-pdf:/"}});
}

std::filesystem::path WatchFixture::drop(const std::string& name, const std::string& content)
{
    return dir.write(name, content);
}

std::vector<std::string> WatchFixture::printedFiles() const
{
    std::vector<std::string> files;
    for (const auto& request : launcher.requests()) {
        files.push_back(request.arguments.at(5));
    }
    return files;
}

} // namespace kumoden::test
