#pragma once

#include "platform/form_design.h"
#include "platform/forms.h"
#include "platform/win32/forms/win32_form.h"

#include <memory>

namespace kumoden {

// The version box "frmAbout" from its design: the program's picture, name,
// rights and version, and an OK button that Enter presses; Esc and the
// close button close it too.
class Win32AboutView final : public AboutView {
public:
    explicit Win32AboutView(const FormDesign& design) : m_design(design) {}

    void showModal() override;
    // The box while it is shown, else none; for tests.
    Win32Form* form() const { return m_form; }

private:
    const FormDesign& m_design;
    Win32Form* m_form = nullptr;
};

// The start-up window "frmStart" from its design: a line of text and a
// progress bar, centred on the screen.
class Win32Splash final : public SplashView {
public:
    explicit Win32Splash(const FormDesign& design) : m_design(design) {}

    void show() override;
    void setProgress(double value) override;
    void unload() override { m_form.reset(); }
    // The window while it is loaded, else none; for tests.
    Win32Form* form() const { return m_form.get(); }

private:
    const FormDesign& m_design;
    std::unique_ptr<Win32Form> m_form;
};

} // namespace kumoden
