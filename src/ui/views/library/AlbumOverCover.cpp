#include "ui/views/library/AlbumOverCover.h"

namespace kelvane {

AlbumOverCover::AlbumOverCover(QObject *parent) : QObject(parent) {
    for (QVariantAnimation *fade : {&m_playFade, &m_coverFade}) {
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        fade->setDuration(fadeMs);
    }
    connect(&m_playFade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_playOpacity = value.toReal();
        Q_EMIT changed(m_row);
    });
    connect(&m_coverFade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_coverOpacity = value.toReal();
        Q_EMIT changed(m_row);
    });
    m_coverDelay.setSingleShot(true);
    m_coverDelay.setInterval(secondButtonDelayMs);
    connect(&m_coverDelay, &QTimer::timeout, &m_coverFade, [this] { m_coverFade.start(); });
}

void AlbumOverCover::setHoveredRow(int row) {
    if (row == m_row) return;
    mouseExited();
    if (row >= 0) mouseEntered(row);
}

void AlbumOverCover::mouseEntered(int row) {
    m_row = row;
    m_playOpacity = 0;
    m_coverOpacity = 0;
    m_playFade.stop();
    m_coverFade.stop();
    m_playFade.start();
    m_coverDelay.start();
}

void AlbumOverCover::mouseExited() {
    const int row = m_row;
    m_playFade.stop();
    m_coverFade.stop();
    m_coverDelay.stop();
    m_playOpacity = 0;
    m_coverOpacity = 0;
    m_row = -1;
    if (row >= 0) Q_EMIT changed(row);
}

} // namespace kelvane
