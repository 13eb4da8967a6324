#pragma once

#include "platform/form_design.h"
#include "platform/forms.h"

#include <QProgressBar>
#include <QWidget>

#include <memory>

namespace kumoden {

// The start-up window "frmStart" from its design: a line of text and a
// progress bar.
class QtSplash final : public SplashView {
public:
    explicit QtSplash(const FormDesign& design);
    ~QtSplash() override;

    void show() override;
    void setProgress(double value) override;
    void unload() override;

private:
    void build();

    const FormDesign& m_design;
    std::unique_ptr<QWidget> m_form;
    QProgressBar* m_prbStart = nullptr;
};

} // namespace kumoden
