#pragma once

#include "platform/clipboard.h"
#include "platform/clipboard_watcher.h"

#include <QImage>
#include <QMetaObject>

namespace kumoden {

// A picture from the clipboard, decoded.
class QtPicture final : public Picture {
public:
    explicit QtPicture(QImage image) : m_image(std::move(image)) {}

    std::uintptr_t handle() const override;
    const QImage& image() const { return m_image; }

private:
    QImage m_image;
};

// The clipboard (never the primary selection): text is any text format, a
// bitmap any image format Qt can decode.
class QtClipboard final : public Clipboard {
public:
    bool getFormat(ClipboardFormat format) override;
    PicturePtr getData() override;
};

// The clipboard's changes as Qt hears them: on X11 (XWayland included)
// the clipboard's owner changing, which is what a copy does and a focus
// change does not; the primary selection has a signal of its own, left
// unheard.
class QtClipboardWatcher final : public ClipboardWatcher {
public:
    QtClipboardWatcher() = default;
    ~QtClipboardWatcher() override;

    bool watch(ChangeHandler changed) override;
    void stop() override;

private:
    QMetaObject::Connection m_connection;
};

} // namespace kumoden
