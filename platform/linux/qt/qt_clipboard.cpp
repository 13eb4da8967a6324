#include "platform/linux/qt/qt_clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
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

// A picture on offer that Qt refused to decode because of its size (its
// allocation limit keeps a hostile picture from taking all memory) is a
// failure to tell, not an empty clipboard.
void refuseTooLarge(const QMimeData* data)
{
    if (data == nullptr || !data->hasImage()) {
        return;
    }
    const qint64 limit = qint64{QImageReader::allocationLimit()} * 1024 * 1024;
    for (const QString& format : data->formats()) {
        if (!format.startsWith(QLatin1String("image/"))) {
            continue;
        }
        QByteArray bytes = data->data(format);
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        const QSize size = reader.size();
        if (size.isValid() && limit > 0 && qint64{size.width()} * size.height() * 4 > limit) {
            throw HardCopyError("the clipboard picture (" + std::to_string(size.width()) + " x " +
                                std::to_string(size.height()) + " pixels) is too large to decode");
        }
    }
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
    // Data that cannot be decoded is no picture; one too large to decode is
    // a failure.
    QClipboard& board = clipboard();
    QImage image = board.image(QClipboard::Clipboard);
    if (image.isNull()) {
        refuseTooLarge(board.mimeData(QClipboard::Clipboard));
    }
    return std::make_unique<QtPicture>(std::move(image));
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
