#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace kumoden {

// A picture taken from the clipboard. The system's code only tests it and
// hands it on to a view of the same backend, which knows what is inside.
class Picture {
public:
    Picture() = default;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    virtual ~Picture() = default;

    // Identifies the picture; 0 when there is none.
    virtual std::uintptr_t handle() const = 0;
};

using PicturePtr = std::unique_ptr<Picture>;

// The clipboard formats the hard copy asks about, by their numbers.
enum class ClipboardFormat : std::int16_t {
    Text = 1,   // any text
    Bitmap = 2, // a picture made of pixels (not a drawing such as a metafile)
};

// Raised by a backend whose clipboard, page form or printer fails; the hard
// copy in progress is abandoned.
class HardCopyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The clipboard as it is at the moment of each call: its content may change
// between two calls.
class Clipboard {
public:
    Clipboard() = default;
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;
    virtual ~Clipboard() = default;

    // Whether the clipboard offers the format now.
    virtual bool getFormat(ClipboardFormat format) = 0;
    // The picture the clipboard holds now, whichever picture format the
    // backend prefers; never null, its handle is 0 when there is none.
    virtual PicturePtr getData() = 0;
};

} // namespace kumoden
