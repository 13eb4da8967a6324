#pragma once

#include "platform/timer.h"

#include <QTimer>

namespace kumoden {

class QtTimer final : public Timer {
public:
    QtTimer();

    void setHandler(std::function<void()> handler) override;
    void setInterval(std::int32_t milliseconds) override;
    std::int32_t interval() const override { return m_interval; }

private:
    QTimer m_timer;
    std::function<void()> m_handler;
    std::int32_t m_interval = 0;
};

} // namespace kumoden
