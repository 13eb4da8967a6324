#pragma once

#include "platform/linux/posix/descriptor.h"

#include <QByteArray>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_offer_v1;
class QSocketNotifier;

namespace kumoden {

// The seat's clipboard as the compositor's clipboard manager shows it
// (wlroots, KWin): every new selection whatever window has the focus, and
// its content on request. A connection of its own to the compositor, read
// in Qt's event loop, so that it works whichever platform Qt itself runs on.
// Bound at version 1, which has no primary selection.
class DataControl {
public:
    // None when there is no Wayland session or its compositor has no
    // clipboard manager.
    static std::unique_ptr<DataControl> connect();

    ~DataControl();
    DataControl(const DataControl&) = delete;
    DataControl& operator=(const DataControl&) = delete;

    // Told from the event loop of every new selection after the one there at
    // connecting (that one is the clipboard as it was, not a change).
    void onChange(std::function<void()> changed);
    // Whether the compositor is still there.
    bool connected() const;
    // The types the clipboard offers now; none when it is empty.
    std::vector<std::string> types() const;
    // Counts the selections: the same number, the same content.
    std::uint64_t selection() const { return m_generation; }

    struct Limits {
        std::chrono::milliseconds time;
        std::size_t bytes;
    };
    enum class Transfer { Received, NoOffer, TimedOut, TooLarge, Failed };
    // The clipboard's content in one of its types, from its owner through a
    // pipe. Waits at most limits.time in all; the events of the connection
    // wait meanwhile.
    Transfer receive(const std::string& type, Limits limits, QByteArray& data);

private:
    DataControl() = default;
    bool bind();
    // Asks the selection's owner to write it as the type into a pipe; the
    // pipe's read end (not blocking), or none (-1) when the request could
    // not be made.
    Descriptor requestSelection(const std::string& type);
    void readEvents();
    void flush();
    // The compositor went away or broke the connection: nothing more to hear.
    void lose();
    void forgetOffer(zwlr_data_control_offer_v1* offer);
    void forgetOffers();

    static void global(void* self, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void globalRemove(void* self, wl_registry* registry, std::uint32_t name);
    static void dataOffer(void* self, zwlr_data_control_device_v1* device, zwlr_data_control_offer_v1* offer);
    static void selectionEvent(void* self, zwlr_data_control_device_v1* device,
                               zwlr_data_control_offer_v1* offer);
    static void finished(void* self, zwlr_data_control_device_v1* device);
    static void primarySelection(void* self, zwlr_data_control_device_v1* device,
                                 zwlr_data_control_offer_v1* offer);
    static void offerType(void* self, zwlr_data_control_offer_v1* offer, const char* type);

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    zwlr_data_control_manager_v1* m_manager = nullptr;
    zwlr_data_control_device_v1* m_device = nullptr;
    // Every offer still alive, with its types; m_selection is the clipboard.
    std::map<zwlr_data_control_offer_v1*, std::vector<std::string>> m_offers;
    zwlr_data_control_offer_v1* m_selection = nullptr;
    std::uint64_t m_generation = 0;
    bool m_ready = false;
    std::function<void()> m_changed;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace kumoden
