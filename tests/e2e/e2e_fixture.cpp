#include "tests/e2e/e2e_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kumoden::test {

E2e::E2e()
{
    std::filesystem::create_directories(app());
    std::filesystem::create_directories(in());
    std::filesystem::copy_file(buildDir() + "/kumoden", app() / "kumoden");
}

std::string E2e::buildDir()
{
    const char* build = std::getenv("KUMODEN_BUILD_DIR");
    return build != nullptr ? build : ".";
}

std::string E2e::minimalPdf()
{
    return "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
           "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
           "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>>endobj\n"
           "trailer<</Root 1 0 R>>\n%%EOF\n";
}

void E2e::writeIni(const std::string& body, const std::string& name)
{
    dir.write("app/" + name, "[FileCheck_Info]\r\n" + body);
}

void E2e::writeWorkingIni(const std::string& extra)
{
    writeIni("FileChkTime=300\r\nFileChkDir=" + in().string() + "\r\nFileSelect=job\r\nAcrExeDir=" +
             buildDir() + "/kumoden-print\r\nPrinterNm=PDF2\r\nFileDelDate=7\r\n" + extra);
}

std::vector<std::string> E2e::environment(std::vector<std::string> extra)
{
    // Under the test X server when there is one, headless otherwise.
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        extra.push_back("QT_QPA_PLATFORM=offscreen");
    }
    return extra;
}

void E2e::start(const std::vector<std::string>& extra)
{
    kumoden =
        std::make_unique<Process>(std::vector<std::string>{(app() / "kumoden").string()}, environment(extra));
}

std::filesystem::path E2e::drop(const std::string& name)
{
    return dir.write("in/" + name, minimalPdf());
}

int E2e::zombieChildren(pid_t parent)
{
    int zombies = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        // pid (name) state ppid ...; the name may hold blanks and parentheses.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        zombies += (ppid == parent && state == 'Z') ? 1 : 0;
    }
    return zombies;
}

} // namespace kumoden::test
