// The application style: Fusion, with text field borders that show in the dark palette.
#include "ui/base/Style.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
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

// How far the most visible pixel of an unchecked box's indicator stands out from the
// window around it (0..255).
int checkBoxContrast(QStyle *style, const QPalette &palette) {
    QWidget window;
    window.setPalette(palette);
    QCheckBox box(QStringLiteral("Notifier le changement de morceau"), &window);
    box.setStyle(style);
    box.setPalette(palette);
    box.resize(box.sizeHint());
    QStyleOptionButton option;
    option.initFrom(&box);
    const QRect indicator = style->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
    const QImage image = box.grab().toImage();
    const int around = palette.color(QPalette::Window).lightness();
    int contrast = 0;
    for (int y = indicator.top(); y <= indicator.bottom(); ++y)
        for (int x = indicator.left(); x <= indicator.right(); ++x)
            contrast = std::max(contrast, std::abs(image.pixelColor(x, y).lightness() - around));
    return contrast;
}

} // namespace

TEST(ApplicationStyle, UncheckedCheckBoxShowsInBothPalettes) {
    std::unique_ptr<QStyle> style(Style::createStyle());
    ASSERT_NE(style, nullptr);
    EXPECT_GE(checkBoxContrast(style.get(), Style::darkPalette()), 40);
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    EXPECT_EQ(checkBoxContrast(style.get(), Style::lightPalette()),
              checkBoxContrast(fusion.get(), Style::lightPalette()));
    EXPECT_GE(checkBoxContrast(style.get(), Style::lightPalette()), 40);
}

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
