#include "platform/qt/qt_splash.h"

#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_form_support.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <cmath>

namespace kumoden {

QtSplash::QtSplash() = default;
QtSplash::~QtSplash() = default;

void QtSplash::build()
{
    m_form = std::make_unique<QWidget>(nullptr, kFixedWindowFlags);
    m_form->setObjectName(QStringLiteral("frmStart"));
    m_form->setWindowTitle(QStringLiteral("Kumoden Start"));
    m_form->setFixedSize(twipsSize(3675, 795));

    auto* lblBlue = new QLabel(QStringLiteral("タスクバーに常駐します。"), m_form.get());
    lblBlue->setObjectName(QStringLiteral("lblBlue"));
    lblBlue->setFont(formFont(11.25, true));
    lblBlue->setGeometry(twipsRect(480, 0, 2775, 255));

    m_prbStart = new QProgressBar(m_form.get());
    m_prbStart->setObjectName(QStringLiteral("prbStart"));
    m_prbStart->setRange(0, 20);
    m_prbStart->setValue(0);
    m_prbStart->setTextVisible(false);
    m_prbStart->setGeometry(twipsRect(120, 360, 3495, 375));

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
