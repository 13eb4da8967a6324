#pragma once

// The resident program on an X server of the test's own, with a tray host,
// driven by xdotool and watched through a connection of the test's own.
#include "platform/form_design.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/tray_screen.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kumoden::test {

using namespace std::chrono_literals;

class TrayFixture : public E2e, protected TrayScreen {
protected:
    void TearDown() override
    {
        // The program goes before its X server does.
        kumoden.reset();
    }

    bool ours(const XWindow& window) const override { return window.isOurs(); }
    bool oursInTray(const XWindow& window) const override { return window.isOurs(); }
    std::filesystem::path artifacts() const override { return builtProgram("artifacts"); }

    // The program with an empty watched folder, one tick a second, and the
    // reader it needs (or the one given); more INI lines after those.
    void startProgram(const std::vector<std::string>& extraEnv = {},
                      Process::Output output = Process::Output::Inherit,
                      const std::string& reader = builtProgram("kumoden-print").string(),
                      const std::string& moreIni = "")
    {
        writeIni("FileChkTime=1000\r\nFileChkDir=" + in().string() + "\r\nAcrExeDir=" + reader + "\r\n" +
                 moreIni);
        std::vector<std::string> env = programEnv();
        // An entry given here wins over the fixture's own of that name.
        std::erase_if(env, [&](const std::string& mine) {
            const std::string name = mine.substr(0, mine.find('=') + 1);
            return std::any_of(extraEnv.begin(), extraEnv.end(),
                               [&](const std::string& given) { return given.starts_with(name); });
        });
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        kumoden =
            std::make_unique<Process>(std::vector<std::string>{(app() / "kumoden").string()}, env, output);
    }
    // A session bus where nothing answers: one of the caller's (a desktop
    // the tests run from) may have a StatusNotifierWatcher, which would make
    // the icon a D-Bus item in that desktop's panel instead of the test's tray.
    std::vector<std::string> programEnv() const
    {
        return {"DISPLAY=" + m_x.name(), "QT_QPA_PLATFORM=xcb",
                "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir.path() / "no-session-bus").string()};
    }

    // A form's client area, or a box of its design inside the form, as the
    // program lays it out here: Qt's logical pixels count 15 twips each.
    static XWindow laidOut(const XWindow& form, const TwipsBox& box)
    {
        XWindow placed = form;
        placed.x += box.left / 15;
        placed.y += box.top / 15;
        placed.width = box.width / 15;
        placed.height = box.height / 15;
        return placed;
    }
    static XWindow laidOut(const XWindow& form, const FormDesign& design)
    {
        return laidOut(form, {0, 0, design.clientWidth, design.clientHeight});
    }

    // The menu's keyboard grab takes hold a moment after it shows.
    void settleMenu(const XWindow&) override { std::this_thread::sleep_for(200ms); }
    // From the menu open (its window; 0 for none), the printer setup, its
    // second command, which has no access key; closed with Esc.
    void cancelPrinterSetupFrom(std::uint32_t menu)
    {
        ASSERT_NE(menu, 0u);
        key("Down");
        key("Down");
        key("Return");
        std::vector<std::uint32_t> shown;
        ASSERT_TRUE(eventually(10s, [&] {
            return (shown = shownWindows()).size() == 1 && shown.front() != menu;
        })) << "no printer dialog";
        ASSERT_TRUE(waitForFocus(shown.front()));
        key("Escape");
        EXPECT_TRUE(eventually(5s, [&] { return shownWindows().empty(); }));
    }
};

} // namespace kumoden::test
