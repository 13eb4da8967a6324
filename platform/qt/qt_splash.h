#pragma once

#include "platform/forms.h"

#include <QProgressBar>
#include <QWidget>

#include <memory>

namespace kumoden {

// The start-up window "frmStart": a line of text and a progress bar.
class QtSplash final : public SplashView {
public:
    QtSplash();
    ~QtSplash() override;

    void show() override;
    void setProgress(double value) override;
    void unload() override;

private:
    void build();

    std::unique_ptr<QWidget> m_form;
    QProgressBar* m_prbStart = nullptr;
};

} // namespace kumoden
