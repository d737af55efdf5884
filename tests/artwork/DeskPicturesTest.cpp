#include "DeskPictures.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage Cell(const QPixmap& strip, int i)
{
    const int w = strip.width() / 4;
    return strip.toImage().copy(i * w, 0, w, strip.height());
}

bool AllGrey(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 0 && (std::abs(c.red() - c.green()) > 2 || std::abs(c.green() - c.blue()) > 2))
                return false;
        }
    return true;
}

} // namespace

TEST(DeskPictures, TopBarStripsHaveFourDistinctCellsAndATransparentCorner)
{
    for (TopBarPicture p : {TopBarPicture::Help, TopBarPicture::Settings, TopBarPicture::Info}) {
        const QPixmap strip = TopBarGlyph(p);
        ASSERT_EQ(strip.deviceIndependentSize().toSize(), QSize(128, 32));
        EXPECT_EQ(strip.toImage().pixelColor(0, strip.height() - 1).alpha(), 0) << "the transparent colour";
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                EXPECT_NE(Cell(strip, a), Cell(strip, b)) << int(p) << ": cells " << a << " and " << b;
        EXPECT_TRUE(AllGrey(Cell(strip, 1))) << int(p) << ": the disabled cell";
        EXPECT_FALSE(AllGrey(Cell(strip, 0))) << int(p);
    }
}

TEST(DeskPictures, ProtocolIconsAreColouredEnabledAndGreyDisabled)
{
    for (int i = 0; i <= int(ProtocolPicture::Clear); ++i) {
        const QIcon icon = ProtocolIcon(ProtocolPicture(i));
        const QImage normal = icon.pixmap(QSize(24, 24)).toImage();
        const QImage disabled = icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage();
        EXPECT_FALSE(AllGrey(normal)) << i;
        EXPECT_TRUE(AllGrey(disabled)) << i;
    }
}
