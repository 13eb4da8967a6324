#pragma once

// The settings dialog's view of one platform as a user meets it: its
// controls on screen, the keyboard and the mouse. The contract suite drives
// every backend's view through this, with the real presenter.
#include "platform/conf_view.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kumoden::test {

// A control's place in pixels, relative to what it sits on.
struct PixelBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// The font a control is drawn in.
struct ShownFont {
    std::string face;
    double points = 0;
    bool bold = false;
};

enum class Key { Tab, Return, Escape, Down };

class ConfDriver {
public:
    ConfDriver() = default;
    ConfDriver(const ConfDriver&) = delete;
    ConfDriver& operator=(const ConfDriver&) = delete;
    virtual ~ConfDriver() = default;

    virtual ConfView& view() = 0;
    // Runs show(), which opens the dialog modally, and the steps once it is
    // up; a dialog the steps leave open fails the test and is closed.
    virtual void whileOpen(const std::function<void()>& show, const std::function<void()>& steps) = 0;
    virtual bool shown() const = 0;

    // Controls are named as in the design.
    virtual std::string focusName() const = 0;
    // Gives the control the focus as the Tab key would (a text is selected).
    virtual void focus(std::string_view control) = 0;
    // A key to the focused control; modifiers: kShiftMask, kCtrlMask, kAltMask.
    virtual void press(Key key, int modifiers = 0) = 0;
    virtual void type(const std::string& text) = 0;
    virtual void click(std::string_view button) = 0;
    // The window's close button.
    virtual void closeWindow() = 0;

    virtual int pixels(int twips) const = 0;
    virtual std::string title() const = 0;
    virtual PixelBox clientSize() const = 0;
    virtual PixelBox box(std::string_view control) const = 0;
    // Whether the control can be seen: shown, and not off its parent.
    virtual bool inSight(std::string_view control) const = 0;
    virtual bool enabled(std::string_view control) const = 0;
    virtual std::string caption(std::string_view control) const = 0;
    virtual std::string tabCaption(int index) const = 0;
    virtual ShownFont font(std::string_view control) const = 0;
    // 0xRRGGBB
    virtual unsigned textColour(std::string_view control) const = 0;
    virtual bool alignedRight(std::string_view control) const = 0;
    // The printer box: whether a name can be typed, and its list's length.
    virtual bool editable(std::string_view control) const = 0;
    virtual int entries(std::string_view control) const = 0;
};

// The platform's view, built from the dialog's design.
std::unique_ptr<ConfDriver> MakeConfDriver();

} // namespace kumoden::test
