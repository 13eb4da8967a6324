#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace kumoden {
namespace {

// There is no window of the resident form on this platform; the handle only
// has to be the same wherever the program names that window.
constexpr WindowHandle kResidentWindow = 1;
// The resident window's own procedure: it does nothing with any message.
constexpr WindowProcAddress kOwnProcedure = 1;

QClipboard& clipboard()
{
    QClipboard* board = QGuiApplication::clipboard();
    if (board == nullptr) {
        throw HardCopyError("there is no clipboard");
    }
    return *board;
}

} // namespace

std::uintptr_t QtPicture::handle() const
{
    return m_image.isNull() ? 0 : static_cast<std::uintptr_t>(m_image.cacheKey());
}

bool QtClipboard::getFormat(ClipboardFormat format)
{
    const QMimeData* data = clipboard().mimeData(QClipboard::Clipboard);
    if (data == nullptr) {
        return false;
    }
    return format == ClipboardFormat::Text ? data->hasText() : data->hasImage();
}

PicturePtr QtClipboard::getData()
{
    // Data that cannot be decoded is no picture.
    return std::make_unique<QtPicture>(clipboard().image(QClipboard::Clipboard));
}

QtClipboardViewer::QtClipboardViewer() : m_current(kOwnProcedure) {}

QtClipboardViewer::~QtClipboardViewer()
{
    QObject::disconnect(m_connection);
}

WindowHandle QtClipboardViewer::window() const
{
    return kResidentWindow;
}

WindowHandle QtClipboardViewer::setClipboardViewer(WindowHandle)
{
    QObject::disconnect(m_connection);
    // dataChanged is the clipboard's alone; the primary selection has a
    // signal of its own, left unheard.
    m_connection = QObject::connect(&clipboard(), &QClipboard::dataChanged, [this] { clipboardChanged(); });
    return 0;
}

bool QtClipboardViewer::changeClipboardChain(WindowHandle, WindowHandle)
{
    return QObject::disconnect(m_connection);
}

WindowProcAddress QtClipboardViewer::setWindowProc(WindowHandle, WindowProcedure procedure)
{
    m_procedures.push_back(std::move(procedure));
    const WindowProcAddress previous = m_current;
    m_current = kOwnProcedure + m_procedures.size();
    return previous;
}

WindowProcAddress QtClipboardViewer::restoreWindowProc(WindowHandle, WindowProcAddress procedure)
{
    const WindowProcAddress previous = m_current;
    m_current = procedure;
    return previous;
}

MessageResult QtClipboardViewer::callWindowProc(WindowProcAddress procedure, WindowHandle window,
                                                std::uint32_t message, MessageParam wParam,
                                                MessageLong lParam)
{
    const WindowProcedure* called = procedureAt(procedure);
    if (called == nullptr) {
        return 0;
    }
    // Copied: the procedure may put another in place while it runs.
    const WindowProcedure call = *called;
    return call(window, message, wParam, lParam);
}

MessageResult QtClipboardViewer::sendMessage(WindowHandle, std::uint32_t, MessageParam, MessageLong)
{
    // No other viewer is reachable this way.
    return 0;
}

void QtClipboardViewer::clipboardChanged()
{
    callWindowProc(m_current, kResidentWindow, kDrawClipboardMessage, 0, 0);
}

const WindowProcedure* QtClipboardViewer::procedureAt(WindowProcAddress address) const
{
    if (address <= kOwnProcedure || address - kOwnProcedure > m_procedures.size()) {
        return nullptr;
    }
    return &m_procedures[address - kOwnProcedure - 1];
}

} // namespace kumoden
