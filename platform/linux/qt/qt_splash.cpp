#include "platform/linux/qt/qt_splash.h"

#include "platform/linux/qt/qt_form_support.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace kumoden {
namespace {

// Qt marks an X splash by its window type alone and gives it no Motif
// hints; window managers that go by those hints (sway) then frame it and
// give it a title bar. Ask for no decorations outright.
void askForNoFrame(QWidget& form)
{
    // The offscreen platform answers for X11 too, without a connection.
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return;
    }
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
    if (atom == nullptr) {
        return;
    }
    // flags: decorations given; functions, decorations (none), input mode, status
    const std::uint32_t hints[5] = {2, 0, 0, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(form.winId()),
                        atom->atom, atom->atom, 32, 5, hints);
    std::free(atom);
}

} // namespace

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
    // After the native window exists: Qt writes the hints when it creates it.
    m_form->winId();
    askForNoFrame(*m_form);
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
