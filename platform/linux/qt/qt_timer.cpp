#include "platform/linux/qt/qt_timer.h"

namespace kumoden {

QtTimer::QtTimer()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_handler) {
            m_handler();
        }
    });
}

void QtTimer::setHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
}

void QtTimer::setInterval(std::int32_t milliseconds)
{
    m_interval = milliseconds;
    // A QTimer with interval 0 would fire on every pass of the event loop;
    // here 0 means no ticks at all.
    if (milliseconds <= 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(milliseconds);
}

} // namespace kumoden
