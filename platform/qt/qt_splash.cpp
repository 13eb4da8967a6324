#include "platform/qt/qt_splash.h"

#include "platform/qt/qt_form_support.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <cmath>

namespace kumoden {

QtSplash::QtSplash(const FormDesign& design) : m_design(design) {}
QtSplash::~QtSplash() = default;

void QtSplash::build()
{
    // A splash to the window manager too: no frame, no taskbar entry, above
    // the windows it comes up over.
    m_form = std::make_unique<QWidget>(nullptr,
                                       Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_form->setObjectName(captionOf(m_design.name));
    m_form->setWindowTitle(captionOf(m_design.caption));
    m_form->setFixedSize(twipsSize(m_design.clientWidth, m_design.clientHeight));

    for (const ControlDesign& control : m_design.controls) {
        if (control.kind == ControlKind::Label) {
            designed(new QLabel(captionOf(control.caption()), m_form.get()), control);
        } else if (control.kind == ControlKind::ProgressBar) {
            m_prbStart = designed(new QProgressBar(m_form.get()), control);
            m_prbStart->setRange(0, control.maximum);
            m_prbStart->setValue(0);
            m_prbStart->setTextVisible(false);
        }
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), m_form->size());
        frame.moveCenter(screen->geometry().center());
        m_form->move(frame.topLeft());
    }
}

void QtSplash::show()
{
    if (!m_form) {
        build();
    }
    m_form->show();
    m_form->raise();
    // The program sleeps between the bar's steps: paint now, not later.
    QCoreApplication::processEvents();
}

void QtSplash::setProgress(double value)
{
    if (m_prbStart != nullptr) {
        m_prbStart->setValue(static_cast<int>(std::lround(value)));
    }
}

void QtSplash::unload()
{
    m_prbStart = nullptr;
    m_form.reset();
}

} // namespace kumoden
