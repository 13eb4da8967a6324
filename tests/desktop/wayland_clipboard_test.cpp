// The clipboard through sway's clipboard manager: what it reports, what it
// reads, and what it does when an owner or the compositor fails it.
#include "platform/linux/qt/qt_clipboard.h"
#include "platform/linux/wayland/wayland_clipboard.h"
#include "tests/desktop/sway_session.h"
#include "tests/integration/hard_copy_test_support.h"
#include "tests/support/offscreen_app.h"

#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstring>

namespace kumoden::test {
namespace {

using namespace std::chrono_literals;

// An owner of the clipboard that offers types and never writes a byte: it
// reads none of the compositor's requests, so the pipes they hand it stay
// open until it goes.
class SilentOwner {
public:
    SilentOwner(const std::string& socket, const std::vector<std::string>& types)
        : m_display(wl_display_connect(socket.c_str()))
    {
        if (m_display == nullptr) {
            throw std::runtime_error("cannot reach the compositor");
        }
        m_registry = wl_display_get_registry(m_display);
        static const wl_registry_listener listener{&SilentOwner::global,
                                                   [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(m_registry, &listener, this);
        wl_display_roundtrip(m_display);
        if (m_manager == nullptr || m_seat == nullptr) {
            throw std::runtime_error("no clipboard manager");
        }
        m_device = zwlr_data_control_manager_v1_get_data_device(m_manager, m_seat);
        m_source = zwlr_data_control_manager_v1_create_data_source(m_manager);
        for (const std::string& type : types) {
            zwlr_data_control_source_v1_offer(m_source, type.c_str());
        }
        zwlr_data_control_device_v1_set_selection(m_device, m_source);
        wl_display_roundtrip(m_display);
    }
    ~SilentOwner()
    {
        zwlr_data_control_source_v1_destroy(m_source);
        zwlr_data_control_device_v1_destroy(m_device);
        zwlr_data_control_manager_v1_destroy(m_manager);
        wl_seat_destroy(m_seat);
        wl_registry_destroy(m_registry);
        wl_display_disconnect(m_display);
    }

private:
    static void global(void* self, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
    {
        auto* owner = static_cast<SilentOwner*>(self);
        if (std::strcmp(interface, "wl_seat") == 0 && owner->m_seat == nullptr) {
            owner->m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
            owner->m_manager = static_cast<zwlr_data_control_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
        }
    }

    wl_display* m_display;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    zwlr_data_control_manager_v1* m_manager = nullptr;
    zwlr_data_control_device_v1* m_device = nullptr;
    zwlr_data_control_source_v1* m_source = nullptr;
};

class WaylandClipboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OffscreenApplication();
        session = std::make_unique<SwaySession>();
        // The session's socket only: the next session must not inherit its other names.
        socket = session->waylandSocket();
        setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
    }
    void TearDown() override { unsetenv("WAYLAND_DISPLAY"); }
    // Qt's events until the condition holds, or the time is up.
    static bool heard(std::chrono::milliseconds limit, const std::function<bool()>& condition)
    {
        return eventually(limit, [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            return condition();
        });
    }

    TempDir dir;
    std::unique_ptr<SwaySession> session;
    std::string socket;
};

TEST_F(WaylandClipboardTest, EachNewSelectionIsOneChangeAndItsPictureIsRead)
{
    const std::filesystem::path wide = writeQuartersPicture(dir.path() / "wide.png", 320, 120);
    session->copy(wide, "image/png");
    // The picture there at connecting is the clipboard as it was: no change,
    // but it can be read.
    std::unique_ptr<DataControl> control;
    ASSERT_TRUE(eventually(5s, [&] {
        control = DataControl::connect();
        return control && WaylandClipboard(*control).getFormat(ClipboardFormat::Bitmap);
    }));
    WaylandClipboard clipboard(*control);
    WaylandClipboardWatcher watcher(*control);
    // Whether the clipboard held a text at each change reported.
    std::vector<bool> changes;
    ASSERT_TRUE(watcher.watch([&] { changes.push_back(clipboard.getFormat(ClipboardFormat::Text)); }));
    EXPECT_FALSE(clipboard.getFormat(ClipboardFormat::Text));
    const PicturePtr picture = clipboard.getData();
    EXPECT_EQ(static_cast<const QtPicture&>(*picture).image().size(), QSize(320, 120));

    // The first change reported is the text copied after.
    session->copy(dir.write("text", "a line"), "text/plain;charset=utf-8");
    ASSERT_TRUE(heard(5s, [&] { return !changes.empty(); }));
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_FALSE(clipboard.getFormat(ClipboardFormat::Bitmap));
    EXPECT_EQ(clipboard.getData()->handle(), 0u);

    // Data offered as a picture that is none is no picture.
    session->copy(dir.write("broken.png", "\x89PNG\r\n\x1a\n but nothing after"), "image/png");
    EXPECT_TRUE(heard(5s, [&] { return changes.size() == 2; }));
    EXPECT_TRUE(clipboard.getFormat(ClipboardFormat::Bitmap));
    EXPECT_EQ(clipboard.getData()->handle(), 0u);

    // Nothing is reported once the watch has stopped, though the new
    // selection arrives.
    watcher.stop();
    session->copy(dir.path() / "text", "text/plain");
    ASSERT_TRUE(heard(5s, [&] { return clipboard.getFormat(ClipboardFormat::Text); }));
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(WaylandClipboardTest, AnOwnerThatNeverWritesOrAGoneCompositorFreezesNothing)
{
    const std::unique_ptr<DataControl> control = DataControl::connect();
    ASSERT_TRUE(control);
    WaylandClipboard clipboard(*control, {500ms, 1u << 20});
    WaylandClipboardWatcher watcher(*control);
    int changes = 0;
    ASSERT_TRUE(watcher.watch([&] { ++changes; }));
    {
        SilentOwner owner(socket, {"image/png", "text/plain"});
        ASSERT_TRUE(heard(5s, [&] { return changes == 1; }));
        EXPECT_TRUE(clipboard.getFormat(ClipboardFormat::Text));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THROW(clipboard.getData(), HardCopyError);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    }

    // The owner gone, the clipboard is empty: a change too.
    ASSERT_TRUE(heard(5s, [&] { return changes == 2; }));
    EXPECT_FALSE(clipboard.getFormat(ClipboardFormat::Text));

    // A picture larger than allowed is given up as it comes.
    WaylandClipboard small(*control, {5s, 64});
    session->copy(writeQuartersPicture(dir.path() / "big.png", 800, 600), "image/png");
    ASSERT_TRUE(heard(5s, [&] { return changes == 3; }));
    EXPECT_THROW(small.getData(), HardCopyError);

    // The compositor goes: the clipboard is empty from then on.
    session.reset();
    EXPECT_TRUE(heard(5s, [&] { return !control->connected(); }));
    EXPECT_FALSE(clipboard.getFormat(ClipboardFormat::Bitmap));
    EXPECT_EQ(clipboard.getData()->handle(), 0u);
    const int before = changes;
    EXPECT_FALSE(heard(300ms, [&] { return changes != before; }));
}

TEST(WaylandClipboardTypes, TextAndPictureTypesAsTheToolkitsNameThem)
{
    OffscreenApplication();
    for (const char* text : {"text/plain", "text/plain;charset=utf-8", "UTF8_STRING", "TEXT", "STRING"}) {
        EXPECT_TRUE(isTextType(text)) << text;
    }
    for (const char* other : {"text/html", "text/uri-list", "image/png", "STRINGS"}) {
        EXPECT_FALSE(isTextType(other)) << other;
    }
    EXPECT_EQ(pictureType({"image/bmp", "text/html", "image/png"}), "image/png");
    EXPECT_EQ(pictureType({"image/x-unheard-of", "image/bmp"}), "image/bmp");
    EXPECT_EQ(pictureType({"image/x-unheard-of", "text/plain"}), "");
    // Without a clipboard manager, or outside a Wayland session, there is none.
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_FALSE(DataControl::connect());
}

} // namespace
} // namespace kumoden::test
