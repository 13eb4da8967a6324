#pragma once

#include "platform/form_design.h"
#include "platform/forms.h"

namespace kumoden {

// The version box "frmAbout" from its design: the product picture, name,
// rights and version, and an OK button.
class QtAboutView final : public AboutView {
public:
    explicit QtAboutView(const FormDesign& design) : m_design(design) {}

    void showModal() override;

private:
    const FormDesign& m_design;
};

} // namespace kumoden
