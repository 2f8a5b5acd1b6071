// Icons drawn from the style on demand look as the style's own icons do, in every mode and at
// sizes the style has no image for.
#include "shell/style_icon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

TEST(StyleIconTest, DrawsAsTheStylesIconAtEachSizeAndMode) {
    testing::TestApplication();
    for (QStyle::StandardPixmap which : {QStyle::SP_ArrowBack, QStyle::SP_BrowserReload}) {
        const QIcon lazy = StyleIcon(which);
        const QIcon eager = QApplication::style()->standardIcon(which);
        ASSERT_FALSE(lazy.isNull());
        for (int size : {16, 24, 32}) {
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                const QImage expected = eager.pixmap(QSize(size, size), 1.0, mode).toImage();
                EXPECT_FALSE(expected.isNull());
                // Twice: the second answer comes from what the first one drew.
                for (int round = 0; round < 2; ++round) {
                    EXPECT_EQ(lazy.pixmap(QSize(size, size), 1.0, mode).toImage(), expected)
                        << which << " at " << size << " in mode " << mode;
                }
            }
        }
        // Painted into a rectangle as a button paints it.
        QImage painted(24, 24, QImage::Format_ARGB32_Premultiplied);
        painted.fill(Qt::transparent);
        QPainter painter(&painted);
        lazy.paint(&painter, QRect(0, 0, 24, 24));
        painter.end();
        EXPECT_EQ(painted, eager.pixmap(QSize(24, 24), 1.0)
                               .toImage()
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

}  // namespace
}  // namespace corvane::shell
