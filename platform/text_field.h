#pragma once

#include <string>

namespace kumoden {

// A text box of one window that another window writes its result into:
// the pickers hand the chosen path back through one.
class TextField {
public:
    TextField() = default;
    TextField(const TextField&) = delete;
    TextField& operator=(const TextField&) = delete;
    virtual ~TextField() = default;

    virtual std::string text() const = 0;
    // Sets the text as a user's edit would: a text that differs from the
    // present one runs the box's change handling; the same text does not.
    virtual void setText(const std::string& text) = 0;
};

} // namespace kumoden
