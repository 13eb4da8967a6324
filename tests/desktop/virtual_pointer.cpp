// A pointer for a headless wlroots session, which has no input device:
// while this runs, the seat has a pointer, and the compositor's own
// commands ("seat - cursor set|press|release") move it and press its
// buttons, so that clients get the events a mouse gives them. Prints
// "ready" once the compositor has made the device.
#include <wayland-client.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// The compositor's virtual pointer protocol (wlroots'
// zwlr_virtual_pointer_v1, version 1), as far as it is used here: the making
// of the device; the compositor moves it and presses its buttons.
const wl_interface kPointerInterface = {"zwlr_virtual_pointer_v1", 1, 0, nullptr, 0, nullptr};
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kPointerInterface};
const wl_message kManagerRequests[] = {{"create_virtual_pointer", "?on", kCreateTypes}};
const wl_interface kManagerInterface = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, kManagerRequests, 0, nullptr};

wl_proxy* g_manager = nullptr;

void global(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    if (std::strcmp(interface, kManagerInterface.name) == 0) {
        g_manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManagerInterface, 1));
    }
}

void globalRemove(void*, wl_registry*, std::uint32_t) {}

volatile std::sig_atomic_t g_stop = 0;

} // namespace

int main()
{
    std::signal(SIGTERM, [](int) { g_stop = 1; });
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fputs("no Wayland display\n", stderr);
        return 1;
    }
    static const wl_registry_listener listener{&global, &globalRemove};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, nullptr);
    wl_display_roundtrip(display);
    if (g_manager == nullptr) {
        std::fputs("the compositor makes no virtual pointers\n", stderr);
        return 1;
    }
    // The seat left out: the compositor's default seat.
    wl_proxy* pointer = wl_proxy_marshal_flags(g_manager, 0, &kPointerInterface, 1, 0, nullptr, nullptr);
    if (pointer == nullptr || wl_display_roundtrip(display) < 0) {
        std::fputs("the virtual pointer was refused\n", stderr);
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    while (g_stop == 0 && wl_display_dispatch(display) >= 0) {
    }
    wl_display_disconnect(display);
    return 0;
}
