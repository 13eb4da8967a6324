#pragma once

// A form of one platform as a user meets it: its controls on screen, the
// keyboard and the mouse. Controls are named as in the form's design.
#include "platform/conf_view.h"
#include "platform/form_design.h"

#include <functional>
#include <string>
#include <string_view>

namespace kumoden::test {

// A control's place in pixels, relative to what it sits on.
using PixelBox = TwipsBox;

// How a control is drawn.
struct Look {
    std::string caption; // a label's or a button's
    std::string face;
    double points = 0;
    bool bold = false;
    unsigned colour = 0; // of the text: 0xRRGGBB
    bool alignedRight = false;
    bool editable = false; // a combo box a name can be typed into
    int entries = 0;       // a combo box's list
};

enum class Key { Tab, Return, Escape, Down };

class FormDriver {
public:
    virtual ~FormDriver() = default;

    // Runs show(), which opens the form modally, and the steps once it is
    // up; a form the steps leave open fails the test and is closed.
    virtual void whileOpen(const std::function<void()>& show, const std::function<void()>& steps) = 0;
    virtual bool shown() const = 0;
    virtual std::string focusName() const = 0;
    // The focus on the control as the Tab key brings it: a text is selected.
    virtual void focus(std::string_view control) = 0;
    // A key to the focused control; modifiers: kShiftMask, kCtrlMask, kAltMask.
    virtual void press(Key key, int modifiers = 0) = 0;
    virtual void type(const std::string& text) = 0;
    virtual void click(std::string_view button) = 0;
    virtual void closeWindow() = 0; // the window's close button

    virtual int pixels(int twips) const = 0;
    PixelBox pixels(const TwipsBox& box) const
    {
        return {pixels(box.left), pixels(box.top), pixels(box.width), pixels(box.height)};
    }
    virtual std::string title() const = 0;
    virtual PixelBox clientSize() const = 0;
    virtual PixelBox box(std::string_view control) const = 0;
    // Shown, and not off its parent.
    virtual bool inSight(std::string_view control) const = 0;
    virtual bool enabled(std::string_view control) const = 0;
    virtual Look look(std::string_view control) const = 0;
};

} // namespace kumoden::test
