#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace kumoden {
namespace {

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

QtClipboardWatcher::~QtClipboardWatcher()
{
    stop();
}

bool QtClipboardWatcher::watch(ChangeHandler changed)
{
    stop();
    QClipboard* board = QGuiApplication::clipboard();
    if (board == nullptr) {
        return false;
    }
    m_connection = QObject::connect(board, &QClipboard::dataChanged, std::move(changed));
    return true;
}

void QtClipboardWatcher::stop()
{
    QObject::disconnect(m_connection);
}

} // namespace kumoden
