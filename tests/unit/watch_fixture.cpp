#include "tests/unit/watch_fixture.h"

#include <algorithm>

namespace kumoden::test {

WatchFixture::WatchFixture() : WatchFakes(files)
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

void WatchFixture::drop(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        drop(name);
    }
}

void WatchFixture::backup(const std::string& name, LocalTime created)
{
    dir.write("BackPdf/" + name, "pdf");
    files.setDateCreated(backupText(name), created);
}

std::vector<std::string> WatchFixture::backupTexts(const std::vector<std::string>& names) const
{
    std::vector<std::string> texts(names.size());
    std::ranges::transform(names, texts.begin(),
                           [this](const std::string& name) { return backupText(name); });
    return texts;
}

std::vector<std::string> WatchFixture::printedFiles() const
{
    std::vector<std::string> printed(launcher.requests().size());
    std::ranges::transform(launcher.requests(), printed.begin(),
                           [](const LaunchRequest& request) { return request.arguments.at(5); });
    return printed;
}

} // namespace kumoden::test
