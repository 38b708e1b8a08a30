// The toolbar images are valid SVG and draw something.
#include "mapview/icones.h"

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

TEST(Icones, OnzeImagesDessinees) {
    QImage bande(NombreIcones * 34, 34, QImage::Format_ARGB32);
    bande.fill(Qt::white);
    QPainter painter(&bande);
    for (int i = 0; i < NombreIcones; ++i) {
        const QIcon icone = IconeCarte(i);
        ASSERT_FALSE(icone.isNull()) << i;
        const QImage image = icone.pixmap(32, 32).toImage();
        int opaques = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0) ++opaques;
        EXPECT_GT(opaques, 40) << i;
        painter.drawImage(i * 34 + 1, 1, image);
    }
    painter.end();
    EXPECT_TRUE(IconeCarte(NombreIcones).isNull());
    if (const char* sortie = std::getenv("ORLAVINE_IMAGE_ICONES")) bande.save(sortie);
}

} // namespace
} // namespace orlavine
