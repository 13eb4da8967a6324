#include "platform/linux/wayland/wayland_clipboard.h"

#include "platform/linux/qt/qt_clipboard.h"

#include <QImageReader>

#include <algorithm>

namespace kumoden {

bool isTextType(const std::string& type)
{
    return type.starts_with("text/plain") || type == "UTF8_STRING" || type == "TEXT" || type == "STRING";
}

std::string pictureType(const std::vector<std::string>& types)
{
    if (std::find(types.begin(), types.end(), "image/png") != types.end()) {
        return "image/png";
    }
    const QList<QByteArray> decodable = QImageReader::supportedMimeTypes();
    for (const std::string& type : types) {
        if (type.starts_with("image/") && decodable.contains(QByteArray::fromStdString(type))) {
            return type;
        }
    }
    return {};
}

bool WaylandClipboard::getFormat(ClipboardFormat format)
{
    const std::vector<std::string> types = m_control.types();
    if (format == ClipboardFormat::Text) {
        return std::any_of(types.begin(), types.end(), isTextType);
    }
    return !pictureType(types).empty();
}

PicturePtr WaylandClipboard::getData()
{
    const std::string type = pictureType(m_control.types());
    if (type.empty()) {
        return std::make_unique<QtPicture>(QImage());
    }
    if (m_cached && m_cachedSelection == m_control.selection()) {
        return std::make_unique<QtPicture>(m_cachedImage);
    }
    QByteArray data;
    switch (m_control.receive(type, m_limits, data)) {
    case DataControl::Transfer::Received:
        break;
    case DataControl::Transfer::NoOffer:
        return std::make_unique<QtPicture>(QImage());
    case DataControl::Transfer::TimedOut:
        throw HardCopyError("the clipboard's owner did not hand over the picture in time");
    case DataControl::Transfer::TooLarge:
        throw HardCopyError("the clipboard's picture is too large");
    case DataControl::Transfer::Failed:
        throw HardCopyError("the clipboard's picture could not be read");
    }
    // Data that cannot be decoded is no picture.
    const QByteArray format = QByteArray::fromStdString(type.substr(type.find('/') + 1));
    m_cachedImage = QImage::fromData(data, format.constData());
    if (m_cachedImage.isNull()) {
        m_cachedImage = QImage::fromData(data);
    }
    m_cached = true;
    m_cachedSelection = m_control.selection();
    return std::make_unique<QtPicture>(m_cachedImage);
}

bool WaylandClipboardWatcher::watch(ChangeHandler changed)
{
    m_control.onChange(std::move(changed));
    return m_control.connected();
}

void WaylandClipboardWatcher::stop()
{
    m_control.onChange({});
}

} // namespace kumoden
