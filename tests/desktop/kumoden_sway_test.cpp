// The program in a sway session: it runs as it would there (on XWayland,
// its icon in waybar's tray), hears the clipboard through the compositor's
// clipboard manager whatever window has the focus, and the pointer on the
// tray reaches its commands.
#include "tests/desktop/sway_session.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/integration/hard_copy_test_support.h"
#include "tests/support/tray_screen.h"

#include <QImage>
#include <QRect>

#include <algorithm>
#include <optional>
#include <thread>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;

class Sway : public E2e {
protected:
    void SetUp() override
    {
        picture = writeHardCopyPictures(dir.path());
        session = std::make_unique<SwaySession>();
    }
    void TearDown() override
    {
        kumoden.reset();
        session.reset();
    }

    // The program as the session starts it, once its icon is in the tray.
    std::string startProgram()
    {
        writeIni("FileChkTime=1000\r\nFileChkDir=" + in().string() + "\r\n");
        std::vector<std::string> env = session->programEnv();
        // The platform the program picks for itself.
        env.insert(env.end(), {"QT_QPA_PLATFORM=", "LPDEST=" + kHardCopyQueue});
        kumoden = std::make_unique<Process>(std::vector<std::string>{(app() / "kumoden").string()}, env);
        std::vector<std::string> items;
        eventually(20s, [&] { return !(items = session->trayItems()).empty(); });
        // The clipboard hook comes right after the icon.
        std::this_thread::sleep_for(300ms);
        return items.empty() ? "" : items.front();
    }

    // Closes the focused window as the compositor's kill does; whether the focus left it.
    bool closeFocused(const std::string& title)
    {
        return runProgram({"swaymsg", "kill"}, session->programEnv(), 5s).exitCode == 0 &&
               eventually(5s, [&] { return session->focusedTitle() != title; });
    }
    void clickIcon(int button) { session->click(SwaySession::kFirstIconX, SwaySession::kFirstIconY, button); }
    // The right button on the icon: the menu waybar draws, the rectangle of
    // its light background below the bar, near the icon, on the screen.
    std::optional<QRect> openMenu()
    {
        clickIcon(3);
        const std::filesystem::path shot = dir.path() / "screen.png";
        QRect menu;
        eventually(5s, [&] {
            if (runProgram({"grim", shot.string()}, session->programEnv(), 10s).exitCode != 0) {
                return false;
            }
            const QImage screen(QString::fromStdString(shot.string()));
            menu = {};
            for (int y = 17; y < std::min(screen.height(), 300); ++y) {
                for (int x = 0; x < std::min(screen.width(), 500); ++x) {
                    menu |= qGray(screen.pixel(x, y)) >= 230 ? QRect(x, y, 1, 1) : QRect();
                }
            }
            return menu.height() >= 40;
        });
        return menu.height() >= 40 ? std::optional(menu) : std::nullopt;
    }

    // The icon's menu and its action, with the pointer as waybar takes it;
    // the last entry of the menu ends the program.
    void expectThePointerOnTheTrayToRunTheCommands()
    {
        // The right button: waybar draws the program's own menu; its first
        // entry is the settings dialog.
        std::optional<QRect> menu = openMenu();
        ASSERT_TRUE(menu) << "waybar drew no menu";
        session->click(menu->center().x(), menu->top() + 8, 1);
        EXPECT_TRUE(eventually(10s, [&] { return session->focusedTitle() == kSettingsTitle; }))
            << "the first entry opened no settings dialog";
        ASSERT_TRUE(closeFocused(kSettingsTitle));

        // The left button: the version box.
        clickIcon(1);
        EXPECT_TRUE(eventually(10s, [&] { return session->focusedTitle() == kAboutTitle; }))
            << "the left button opened no version box";
        ASSERT_TRUE(closeFocused(kAboutTitle));

        // The last entry ends the program, and its icon leaves the tray.
        ASSERT_TRUE(menu = openMenu());
        session->click(menu->center().x(), menu->bottom() - 8, 1);
        EXPECT_EQ(kumoden->wait(10s), 0);
        EXPECT_TRUE(eventually(5s, [&] { return session->trayItems().empty(); }));
    }

    std::unique_ptr<SwaySession> session;
    HardCopyPictures picture;
};

TEST_F(Sway, EachPictureCopiedPrintsOnceWhateverHasTheFocusOrARestartAndThePointerOnTheTrayRunsTheCommands)
{
    HardCopyOutputs outputs;
    // The clipboard as it was before the program came is no change, and its
    // splash taking the focus is none either.
    session->copy(picture.wide, "image/png");
    const std::string item = startProgram();
    ASSERT_FALSE(item.empty()) << "the icon never reached the tray";
    EXPECT_NE(session->focusedTitle(), kAboutTitle);

    // Text prints nothing; a picture copied by another client while none of
    // the program's windows has the focus prints once, within seconds.
    const auto start = std::chrono::steady_clock::now();
    session->copy(dir.write("text", "a line"), "text/plain;charset=utf-8");
    std::this_thread::sleep_for(1s);
    session->copy(picture.tall, "image/png");
    EXPECT_EQ(outputs.waitForNew(15s).size(), 1u) << "the picture was not printed once";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);

    // The version box, opened as the tray host does, takes the focus: the
    // same picture is not printed again.
    ASSERT_TRUE(session->activate(item));
    EXPECT_TRUE(eventually(10s, [&] { return session->focusedTitle() == kAboutTitle; }))
        << "the version box never had the focus";

    // And the hook is still live: the next change prints, and it alone.
    session->copy(picture.wide, "image/png");
    EXPECT_EQ(outputs.waitForNew(15s, 2).size(), 2u) << "a focus change printed the picture again";
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(outputs.newFiles().size(), 2u);
    EXPECT_TRUE(kumoden->running());
    ASSERT_TRUE(closeFocused(kAboutTitle));

    ASSERT_NO_FATAL_FAILURE(expectThePointerOnTheTrayToRunTheCommands());

    // Started again with the last picture still on the clipboard, it prints
    // only the next change.
    ASSERT_FALSE(startProgram().empty());
    session->copy(picture.tall, "image/png");
    EXPECT_EQ(outputs.waitForNew(15s, 3).size(), 3u)
        << "the picture copied after the restart was not printed";
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(outputs.newFiles().size(), 3u) << "a restart printed the picture already there";
}

} // namespace
} // namespace kumoden::test
