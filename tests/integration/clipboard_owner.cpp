// A helper of the hard-copy tests:
//   clipboard_owner picture FILE WIDTH HEIGHT
//     writes a PNG of four coloured quarters (red, green / blue, black);
//   clipboard_owner hold TEXT FILE
//     puts the text and the picture in FILE on the clipboard together, as a
//     program copying a picture with a caption does, and keeps them there
//     until it is ended.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "picture" && argc == 5) {
        const int width = std::atoi(argv[3]);
        const int height = std::atoi(argv[4]);
        QImage picture(width, height, QImage::Format_RGB32);
        QPainter painter(&picture);
        painter.fillRect(0, 0, width / 2, height / 2, QColor(255, 0, 0));
        painter.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(0, 255, 0));
        painter.fillRect(0, height / 2, width / 2, height - height / 2, QColor(0, 0, 255));
        painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(0, 0, 0));
        painter.end();
        return picture.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    if (mode == "hold" && argc == 4) {
        QGuiApplication app(argc, argv);
        const QImage picture(QString::fromLocal8Bit(argv[3]));
        if (picture.isNull()) {
            std::fprintf(stderr, "clipboard_owner: cannot read %s\n", argv[3]);
            return 1;
        }
        auto* data = new QMimeData;
        data->setText(QString::fromLocal8Bit(argv[2]));
        data->setImageData(picture);
        QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
        return QGuiApplication::exec();
    }
    std::fprintf(stderr, "usage: clipboard_owner picture FILE WIDTH HEIGHT | hold TEXT FILE\n");
    return 2;
}
