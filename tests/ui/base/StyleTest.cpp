// The application style: Fusion, with text field borders that show in the dark palette.
#include "ui/base/Style.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>
#include <memory>

using namespace kelvane;

namespace {

// How far the field's left border stands out from the window around it (0..255).
int borderContrast(QStyle *style, const QPalette &palette) {
    QWidget window;
    window.setPalette(palette);
    QLineEdit field(&window);
    field.setStyle(style);
    field.setPalette(palette);
    field.setPlaceholderText(QStringLiteral("Rechercher une radio"));
    field.resize(240, 28);
    const QImage image = field.grab().toImage();
    const int around = palette.color(QPalette::Window).lightness();
    int contrast = 0;
    for (int x = 0; x < 3; ++x)
        contrast = std::max(contrast,
                            std::abs(image.pixelColor(x, image.height() / 2).lightness() - around));
    return contrast;
}

} // namespace

TEST(ApplicationStyle, TextFieldBorderShowsInTheDarkPalette) {
    std::unique_ptr<QStyle> style(Style::createStyle());
    ASSERT_NE(style, nullptr);
    EXPECT_GE(borderContrast(style.get(), Style::darkPalette()), 40);
    // Light, it stays Fusion's own border, which shows already.
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    EXPECT_EQ(borderContrast(style.get(), Style::lightPalette()),
              borderContrast(fusion.get(), Style::lightPalette()));
    EXPECT_GE(borderContrast(style.get(), Style::lightPalette()), 40);
}
