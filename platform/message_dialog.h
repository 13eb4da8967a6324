#pragma once

#include <string>

namespace kumoden {

enum class MessageButtons { Ok, OkCancel };

// Modal message boxes without an icon. The first button is the default.
class MessageDialog {
public:
    MessageDialog() = default;
    MessageDialog(const MessageDialog&) = delete;
    MessageDialog& operator=(const MessageDialog&) = delete;
    virtual ~MessageDialog() = default;

    // Returns when the user has closed the box; which button did it is not told.
    virtual void show(const std::string& text, const std::string& title, MessageButtons buttons) = 0;
};

} // namespace kumoden
