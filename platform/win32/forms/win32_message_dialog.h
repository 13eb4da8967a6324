#pragma once

#include "platform/message_dialog.h"

namespace kumoden {

// MessageBoxW without owner and without icon, modal to every window of
// the program's thread.
class Win32MessageDialog final : public MessageDialog {
public:
    void show(const std::string& text, const std::string& title, MessageButtons buttons) override;
};

} // namespace kumoden
