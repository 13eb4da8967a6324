#include "platform/linux/qt/distinct_clipboard_watcher.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QMimeData>

namespace kumoden {

bool DistinctClipboardWatcher::watch(ChangeHandler changed)
{
    m_last = m_content();
    return m_watcher.watch([this, changed = std::move(changed)] {
        std::string now = m_content();
        if (now == m_last) {
            return;
        }
        m_last = std::move(now);
        changed();
    });
}

void DistinctClipboardWatcher::stop()
{
    m_watcher.stop();
}

std::string qtClipboardContent()
{
    const QClipboard* board = QGuiApplication::clipboard();
    const QMimeData* data = board == nullptr ? nullptr : board->mimeData(QClipboard::Clipboard);
    if (data == nullptr) {
        return {};
    }
    QCryptographicHash digest(QCryptographicHash::Sha256);
    const QStringList formats = data->formats();
    QString picture;
    for (const QString& format : formats) {
        digest.addData(format.toUtf8());
        digest.addData(QByteArrayView("\n"));
        if (picture.isEmpty() && format.startsWith(QLatin1String("image/"))) {
            picture = format;
        }
    }
    if (formats.contains(QLatin1String("image/png"))) {
        picture = QStringLiteral("image/png");
    }
    // What the hard copy looks at: the picture it would print, and the text
    // that would stop it.
    if (!picture.isEmpty()) {
        digest.addData(data->data(picture));
    }
    digest.addData(QByteArrayView("\n"));
    if (data->hasText()) {
        digest.addData(data->text().toUtf8());
    }
    return digest.result().toStdString();
}

} // namespace kumoden
