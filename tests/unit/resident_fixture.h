#pragma once

#include "model/service_status.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_hard_copy.h"
#include "tests/unit/watch_fixture.h"
#include "tray/frm_dummy.h"

#include <functional>
#include <memory>
#include <string>

namespace kumoden::test {

using fake::Journal;

// The resident window with fake views; real files and the watch's fakes.
class Resident : public WatchFixture {
protected:
    Resident()
    {
        dir.write("reader", "");
        writeIni("1000");
    }
    std::string reader() const { return (dir.path() / "reader").string(); }
    static std::string notice(const std::string& text) { return "notice PDF印刷ツール: " + text; }

    void writeIni(const std::string& interval)
    {
        dir.write("kumoden.INI", "[FileCheck_Info]\nFileChkTime=" + interval + "\nFileChkDir=" +
                                     dir.path().string() + "\nPrinterNm=PDF\nAcrExeDir=" + reader() + "\n");
    }

    Journal journal;
    std::string iniPath = (dir.path() / "kumoden.INI").string();
    std::unique_ptr<Profile> profile = MakeProfile();
    fake::FakeTimer timer;
    fake::FakeTrayIcon icon{journal};
    fake::FakeEventLog log;
    fake::FakeServiceManager serviceManager{clock};
    Notices notices{icon, log, clock, "PDF印刷ツール", &service};
    fake::FakeDesktop desktop{journal};
    fake::FakePopupMenu popup{journal};
    fake::FakeModal about{journal, "about"};
    fake::FakeModal printerSetup{journal, "printer"};
    fake::FakeModal settingsDialog{journal, "settings"};
    fake::FakeClipboardWatcher watcher{journal};
    fake::FakeClipboard clipboard;
    fake::FakePageView page{journal};
    fake::FakePagePrinter printer;
    FrmHardCopy frmHardCopy{{clipboard, page, printer}};
    ModHardCopy hardCopy{{watcher, desktop, frmHardCopy, nullptr}};
    FileCheckInfo settings;
    ServiceStatus service{serviceManager, settings};
    std::function<void()> showSettings = [this] { settingsDialog.showModal(); };
    FrmDummy frmDummy{settings,
                      {iniPath, *profile, timer, services, icon, desktop, popup, about, printerSetup,
                       hardCopy, showSettings, notices, service}};
};

} // namespace kumoden::test
