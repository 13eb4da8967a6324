#pragma once

#include "platform/forms.h"

namespace kumoden {

// The version box "frmAbout": the product picture, name, rights and
// version, and an OK button.
class QtAboutView final : public AboutView {
public:
    void showModal() override;
};

} // namespace kumoden
