#include "platform/linux/wayland/data_control.h"

#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kumoden {
namespace {

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

using Transfer = DataControl::Transfer;

// Reads the pipe until the owner closes its end, within one deadline for the
// whole transfer: an owner that trickles must not hold the program any
// longer than one that never writes. What was read is left in data whatever
// the answer; only a transfer Received is whole.
Transfer readPipe(int readEnd, DataControl::Limits limits, QByteArray& data)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limits.time;
    char buffer[64 * 1024];
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return Transfer::TimedOut;
        }
        pollfd ready{readEnd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno != EINTR) {
            return Transfer::Failed;
        }
        if (polled <= 0) {
            continue;
        }
        const ssize_t got = ::read(readEnd, buffer, sizeof buffer);
        if (got == 0) {
            return Transfer::Received;
        }
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            return Transfer::Failed;
        }
        if (static_cast<std::size_t>(data.size()) + static_cast<std::size_t>(got) > limits.bytes) {
            return Transfer::TooLarge;
        }
        data.append(buffer, static_cast<qsizetype>(got));
    }
}

} // namespace

std::unique_ptr<DataControl> DataControl::connect()
{
    // A socket handed over in WAYLAND_SOCKET is the one connection of the
    // program, Qt's: taking it would leave Qt none.
    if (!isSet("WAYLAND_DISPLAY") || isSet("WAYLAND_SOCKET")) {
        return nullptr;
    }
    std::unique_ptr<DataControl> control(new DataControl);
    control->m_display = wl_display_connect(nullptr);
    if (control->m_display == nullptr || !control->bind()) {
        return nullptr;
    }
    return control;
}

bool DataControl::bind()
{
    static const wl_registry_listener registryListener{&DataControl::global, &DataControl::globalRemove};
    static const zwlr_data_control_device_v1_listener deviceListener{
        &DataControl::dataOffer, &DataControl::selectionEvent, &DataControl::finished,
        &DataControl::primarySelection};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &registryListener, this);
    if (wl_display_roundtrip(m_display) < 0 || m_manager == nullptr || m_seat == nullptr) {
        return false;
    }
    m_device = zwlr_data_control_manager_v1_get_data_device(m_manager, m_seat);
    zwlr_data_control_device_v1_add_listener(m_device, &deviceListener, this);
    // The first selection comes with the device: the clipboard as it was.
    if (wl_display_roundtrip(m_display) < 0) {
        return false;
    }
    m_ready = true;
    m_notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(m_display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readEvents(); });
    return true;
}

DataControl::~DataControl()
{
    m_notifier.reset();
    forgetOffers();
    if (m_device != nullptr) {
        zwlr_data_control_device_v1_destroy(m_device);
    }
    if (m_manager != nullptr) {
        zwlr_data_control_manager_v1_destroy(m_manager);
    }
    if (m_seat != nullptr) {
        wl_seat_destroy(m_seat);
    }
    if (m_registry != nullptr) {
        wl_registry_destroy(m_registry);
    }
    if (m_display != nullptr) {
        wl_display_flush(m_display);
        wl_display_disconnect(m_display);
    }
}

void DataControl::onChange(std::function<void()> changed)
{
    m_changed = std::move(changed);
}

bool DataControl::connected() const
{
    return m_notifier != nullptr;
}

std::vector<std::string> DataControl::types() const
{
    const auto found = m_offers.find(m_selection);
    return found == m_offers.end() ? std::vector<std::string>{} : found->second;
}

DataControl::Transfer DataControl::receive(const std::string& type, Limits limits, QByteArray& data)
{
    data.clear();
    if (!connected() || m_selection == nullptr) {
        return Transfer::NoOffer;
    }
    const Descriptor readEnd = requestSelection(type);
    if (readEnd.get() < 0) {
        return Transfer::Failed;
    }
    const Transfer result = readPipe(readEnd.get(), limits, data);
    if (result != Transfer::Received) {
        data.clear();
    }
    return result;
}

Descriptor DataControl::requestSelection(const std::string& type)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return Descriptor(-1);
    }
    Descriptor readEnd(ends[0]);
    {
        // The request holds its own copy of the write end: ours goes now, so
        // that the end of the owner's writing is the end of the pipe. The
        // owner's end stays blocking, as owners expect.
        const Descriptor writeEnd(ends[1]);
        zwlr_data_control_offer_v1_receive(m_selection, type.c_str(), writeEnd.get());
        if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
            lose();
            return Descriptor(-1);
        }
    }
    ::fcntl(readEnd.get(), F_SETFL, ::fcntl(readEnd.get(), F_GETFL) | O_NONBLOCK);
    return readEnd;
}

void DataControl::readEvents()
{
    if (!connected()) {
        return;
    }
    while (wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0) {
            lose();
            return;
        }
    }
    if (wl_display_read_events(m_display) < 0) {
        lose();
        return;
    }
    const int dispatched = wl_display_dispatch_pending(m_display);
    if (dispatched < 0) {
        lose();
        return;
    }
    if (dispatched == 0) {
        // Readable with nothing to read: the compositor has hung up.
        pollfd state{wl_display_get_fd(m_display), POLLIN, 0};
        if (::poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR)) != 0) {
            lose();
            return;
        }
    }
    flush();
}

void DataControl::flush()
{
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        lose();
    }
}

void DataControl::lose()
{
    // Deleting the notifier from its own signal is not safe: it is only
    // switched off, and goes with this object.
    if (m_notifier != nullptr) {
        m_notifier->setEnabled(false);
        m_notifier.release()->deleteLater();
    }
    forgetOffers();
}

void DataControl::forgetOffer(zwlr_data_control_offer_v1* offer)
{
    if (m_offers.erase(offer) != 0) {
        zwlr_data_control_offer_v1_destroy(offer);
    }
    if (offer == m_selection) {
        m_selection = nullptr;
    }
}

void DataControl::forgetOffers()
{
    while (!m_offers.empty()) {
        forgetOffer(m_offers.begin()->first);
    }
    m_selection = nullptr;
}

void DataControl::global(void* self, wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t version)
{
    auto* control = static_cast<DataControl*>(self);
    // One seat: the clipboard a desktop session has is the first seat's.
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && control->m_seat == nullptr) {
        control->m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0 &&
               control->m_manager == nullptr && version >= 1) {
        control->m_manager = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
    }
}

void DataControl::globalRemove(void*, wl_registry*, std::uint32_t) {}

void DataControl::dataOffer(void* self, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer)
{
    static const zwlr_data_control_offer_v1_listener offerListener{&DataControl::offerType};
    auto* control = static_cast<DataControl*>(self);
    control->m_offers[offer];
    zwlr_data_control_offer_v1_add_listener(offer, &offerListener, self);
}

void DataControl::offerType(void* self, zwlr_data_control_offer_v1* offer, const char* type)
{
    auto* control = static_cast<DataControl*>(self);
    const auto found = control->m_offers.find(offer);
    if (found != control->m_offers.end()) {
        found->second.emplace_back(type);
    }
}

void DataControl::selectionEvent(void* self, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer)
{
    auto* control = static_cast<DataControl*>(self);
    // The previous offers are done with: only the new selection stays.
    std::vector<zwlr_data_control_offer_v1*> stale;
    for (const auto& [known, types] : control->m_offers) {
        if (known != offer) {
            stale.push_back(known);
        }
    }
    for (zwlr_data_control_offer_v1* old : stale) {
        control->forgetOffer(old);
    }
    control->m_selection = offer;
    ++control->m_generation;
    if (!control->m_ready || control->m_notifier == nullptr) {
        return;
    }
    // Told from the event loop, outside the connection's dispatch, which a
    // hard copy's own event processing must not re-enter.
    QMetaObject::invokeMethod(
        control->m_notifier.get(),
        [control] {
            if (control->m_changed) {
                control->m_changed();
            }
        },
        Qt::QueuedConnection);
}

void DataControl::finished(void* self, zwlr_data_control_device_v1*)
{
    // The seat is gone: the device hears nothing more.
    auto* control = static_cast<DataControl*>(self);
    control->forgetOffers();
    zwlr_data_control_device_v1_destroy(control->m_device);
    control->m_device = nullptr;
}

void DataControl::primarySelection(void* self, zwlr_data_control_device_v1*,
                                   zwlr_data_control_offer_v1* offer)
{
    // Not sent at version 1; an offer that comes anyway is not the clipboard.
    if (offer != nullptr) {
        static_cast<DataControl*>(self)->forgetOffer(offer);
    }
}

} // namespace kumoden
