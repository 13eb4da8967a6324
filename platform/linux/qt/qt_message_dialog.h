#pragma once

#include "platform/message_dialog.h"

namespace kumoden {

class QtMessageDialog final : public MessageDialog {
public:
    void show(const std::string& text, const std::string& title, MessageButtons buttons) override;
};

} // namespace kumoden
