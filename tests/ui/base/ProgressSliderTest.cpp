#include "ui/base/ProgressSlider.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace kelvane;

namespace {
QImage filled(int w, int h, QColor c = Qt::red) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(c);
    return img;
}
} // namespace

TEST(ImageRotated, WholeTurnsAnswerTheSameImage) {
    const QImage img = filled(10, 4);
    EXPECT_EQ(imageRotated(img, 0).cacheKey(), img.cacheKey());
    EXPECT_EQ(imageRotated(img, 360).cacheKey(), img.cacheKey());
    EXPECT_EQ(imageRotated(img, -720).cacheKey(), img.cacheKey());
}

TEST(ImageRotated, SizesFollowTheAngle) {
    const QImage img = filled(10, 4);
    EXPECT_EQ(imageRotated(img, 90).size(), QSize(4, 10));
    EXPECT_EQ(imageRotated(img, 450).size(), QSize(4, 10));
    EXPECT_EQ(imageRotated(img, -270).size(), QSize(4, 10));
    EXPECT_EQ(imageRotated(img, 180).size(), QSize(10, 4));
    EXPECT_EQ(imageRotated(img, -180).size(), QSize(10, 4));
    EXPECT_EQ(imageRotated(img, 45).size(), QSize(30, 30));
}

TEST(ImageRotated, QuarterTurnMovesTheLeftColumnToTheTop) {
    QImage img = filled(10, 4, Qt::blue);
    for (int y = 0; y < 4; ++y)
        img.setPixelColor(0, y, Qt::red);
    const QImage turned = imageRotated(img, 90);
    EXPECT_EQ(turned.pixelColor(1, 0), QColor(Qt::red));
    EXPECT_EQ(turned.pixelColor(1, 9), QColor(Qt::blue));
}

TEST(ProgressSliderCell, KnobCentredInItsRectangle) {
    auto cell = ProgressSliderCell::withKnobImage(filled(10, 10));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->placeKnob(QRectF(0, 0, 20, 16)), QRectF(5, 3, 10, 10));
    EXPECT_EQ(cell->currentKnobRect(), QRectF(5, 3, 10, 10));
}

TEST(ProgressSliderCell, CreationNeedsEveryPicture) {
    EXPECT_FALSE(ProgressSliderCell::withKnobImage(QImage()));
    EXPECT_FALSE(ProgressSliderCell::withImages(filled(10, 10), filled(8, 4), QImage()));
    EXPECT_TRUE(ProgressSliderCell::withImages(filled(10, 10), filled(8, 4), filled(8, 4)));
    // A cell missing a track picture draws nothing itself: the caller falls back.
    auto knobOnly = ProgressSliderCell::withKnobImage(filled(10, 10));
    QImage canvas = filled(100, 20, Qt::white);
    QPainter p(&canvas);
    EXPECT_FALSE(knobOnly->drawBarInside(p, QRectF(0, 0, 100, 20)));
    ProgressSliderCell plain;
    EXPECT_FALSE(plain.drawKnob(p, QRectF(0, 0, 20, 20)));
}

TEST(ProgressSliderCell, TrackSplitsAtTheKnobCentre) {
    auto cell = ProgressSliderCell::withImages(filled(10, 10), filled(8, 4), filled(8, 6));
    cell->placeKnob(QRectF(30, 0, 20, 20)); // knob centre x = 40
    const QRectF track(0, 0, 100, 20);
    EXPECT_EQ(cell->beforeKnobRect(track), QRectF(0, 8, 40, 4));
    EXPECT_EQ(cell->afterKnobRect(track), QRectF(40, 7, 60, 6));

    cell->setVertical(true);
    cell->placeKnob(QRectF(0, 30, 20, 20)); // centre y = 40
    const QRectF column(0, 0, 20, 100);
    EXPECT_EQ(cell->beforeKnobRect(column), QRectF(6, 0, 8, 40));
    EXPECT_EQ(cell->afterKnobRect(column), QRectF(6, 40, 8, 60));
}

TEST(ProgressSlider, TrackPicturesGetCapInsetsOnceAndTurnWhenVertical) {
    const SliderImage track(filled(8, 4));
    SliderImage min = ProgressSlider::preparedTrackImage(track, true, false);
    SliderImage max = ProgressSlider::preparedTrackImage(track, false, false);
    EXPECT_EQ(min.capInsets, QMarginsF(7, 0, 0, 0));
    EXPECT_EQ(max.capInsets, QMarginsF(0, 0, 7, 0));
    const SliderImage given(filled(8, 4), QMarginsF(1, 0, 1, 0));
    EXPECT_EQ(ProgressSlider::preparedTrackImage(given, true, false).capInsets,
              QMarginsF(1, 0, 1, 0));

    SliderImage vmin = ProgressSlider::preparedTrackImage(track, true, true);
    EXPECT_EQ(vmin.size(), QSizeF(4, 8));
    EXPECT_EQ(vmin.capInsets, QMarginsF(0, 7, 0, 0));
    EXPECT_EQ(ProgressSlider::preparedTrackImage(track, false, true).capInsets,
              QMarginsF(0, 0, 0, 7));
}

TEST(ProgressSlider, FactoriesRefuseMissingPictures) {
    EXPECT_EQ(ProgressSlider::withKnobImage(QImage(), Qt::Horizontal), nullptr);
    EXPECT_EQ(ProgressSlider::withImages(filled(10, 10), filled(8, 4), QImage(), Qt::Horizontal),
              nullptr);
    std::unique_ptr<ProgressSlider> standard(ProgressSlider::standard(Qt::Horizontal));
    ASSERT_TRUE(standard);
    EXPECT_TRUE(standard->sliderCell()->hasAllImages());
    // Setting a null cell keeps the one there.
    ProgressSliderCell *before = standard->sliderCell();
    standard->setSliderCell(nullptr);
    EXPECT_EQ(standard->sliderCell(), before);
}

TEST(ProgressSlider, FractionalValuesAndClicksOnTheTrack) {
    std::unique_ptr<ProgressSlider> s(ProgressSlider::standard(Qt::Horizontal));
    s->resize(218, 20); // knob place 18 wide: 200 points of travel
    s->setMaximumValue(200.0);
    s->setDoubleValue(61.5);
    EXPECT_DOUBLE_EQ(s->doubleValue(), 61.5);
    EXPECT_DOUBLE_EQ(s->valueAt(QPointF(9, 10)), 0.0);
    EXPECT_DOUBLE_EQ(s->valueAt(QPointF(109, 10)), 100.0);
    EXPECT_DOUBLE_EQ(s->valueAt(QPointF(500, 10)), 200.0);

    QSignalSpy released(s.get(), &QSlider::sliderReleased);
    s->show();
    QTest::mouseClick(s.get(), Qt::LeftButton, {}, QPoint(59, 10));
    EXPECT_EQ(released.count(), 1);
    EXPECT_NEAR(s->doubleValue(), 50.0, 0.01);
    // The knob sits where the value says, and the track pictures meet under its centre.
    EXPECT_NEAR(s->knobRect().center().x(), 59, 0.01);
    s->grab(); // paints, which places the knob picture
    EXPECT_NEAR(s->sliderCell()->beforeKnobRect(s->trackRect()).right(), 59, 0.01);
}

TEST(ProgressSlider, EmptyRangeIgnoresClicks) {
    std::unique_ptr<ProgressSlider> s(ProgressSlider::standard(Qt::Horizontal));
    s->resize(200, 20);
    s->show();
    QSignalSpy released(s.get(), &QSlider::sliderReleased);
    QTest::mouseClick(s.get(), Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(released.count(), 0);
}

TEST(ProgressSlider, EmptyRangeDrawsABareTrack) {
    std::unique_ptr<ProgressSlider> s(ProgressSlider::standard(Qt::Horizontal));
    s->resize(200, 20);
    const QImage shot = s->grab().toImage();
    // Only the maximum side's track shows: no accent-coloured minimum side, no knob.
    const QColor accentish = shot.pixelColor(int(3 * shot.devicePixelRatio()), shot.height() / 2);
    EXPECT_LT(accentish.saturation(), 60);
    EXPECT_EQ(s->sliderCell()->beforeKnobRect(s->trackRect()).width(), 0);
}
