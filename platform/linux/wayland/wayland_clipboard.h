#pragma once

#include "platform/clipboard.h"
#include "platform/clipboard_watcher.h"
#include "platform/linux/wayland/data_control.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace kumoden {

// Whether a type offered on the clipboard is text, as the toolkits name it.
bool isTextType(const std::string& type);
// The offered type a picture is best read in: PNG, else the first image
// type Qt can decode; empty when there is none.
std::string pictureType(const std::vector<std::string>& types);

// The clipboard through the compositor's clipboard manager. A picture comes
// from its owner through a pipe within the limits; an owner that hands over
// nothing in time, or too much, fails the hard copy (the user copied a
// picture and is told that it was not printed), while data that is no
// picture is no picture, as with Qt's clipboard.
class WaylandClipboard final : public Clipboard {
public:
    static constexpr DataControl::Limits kLimits{std::chrono::seconds(3), 128u << 20};

    explicit WaylandClipboard(DataControl& control, DataControl::Limits limits = kLimits)
        : m_control(control), m_limits(limits)
    {
    }

    bool getFormat(ClipboardFormat format) override;
    PicturePtr getData() override;

private:
    DataControl& m_control;
    DataControl::Limits m_limits;
    // The picture of the selection read last: a hard copy asks twice, and a
    // selection's content does not change.
    bool m_cached = false;
    std::uint64_t m_cachedSelection = 0;
    QImage m_cachedImage;
};

// The clipboard manager's new selections: neither focus nor the primary
// selection plays any part.
class WaylandClipboardWatcher final : public ClipboardWatcher {
public:
    explicit WaylandClipboardWatcher(DataControl& control) : m_control(control) {}
    ~WaylandClipboardWatcher() override { stop(); }

    bool watch(ChangeHandler changed) override;
    void stop() override;

private:
    DataControl& m_control;
};

} // namespace kumoden
