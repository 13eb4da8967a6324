#include "platform/linux/qt/artwork.h"
#include "tests/support/offscreen_app.h"

#include <QImage>

#include <gtest/gtest.h>

namespace kumoden::test {
namespace {

// Whether the picture shows something: neither empty nor of one colour.
bool drawn(const QImage& image)
{
    if (image.isNull()) {
        return false;
    }
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first) {
                return true;
            }
        }
    }
    return false;
}

TEST(QtArtwork, TheIconAndTheProductPictureComeFromTheIconFiles)
{
    OffscreenApplication();
    const QIcon icon = trayIcon();
    for (const int side : {16, 24, 32, 48}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(side, side))) << side;
        EXPECT_TRUE(drawn(icon.pixmap(side).toImage())) << side;
    }
    // The product picture's middle is the icon drawn over the sky.
    const QImage picture = productPicture().toImage();
    ASSERT_EQ(picture.size(), QSize(112, 88));
    EXPECT_TRUE(drawn(picture.copy(30, 2, 52, 52)));
}

} // namespace
} // namespace kumoden::test
