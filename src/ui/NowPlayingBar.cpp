#include "ui/NowPlayingBar.h"

#include "covers/CoverChain.h"
#include "ui/NowPlayingText.h"
#include "ui/base/ElidedLabel.h"
#include "ui/base/Icons.h"
#include "ui/base/ImageLabel.h"
#include "ui/base/ProgressSlider.h"
#include "ui/base/Style.h"

#include <QAccessible>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace kelvane {

namespace {
QImage transparent(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}
} // namespace

NowPlayingBar::NowPlayingBar(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("nowPlayingBar"));
    setAutoFillBackground(false);
    setMinimumHeight(88);

    m_cover = new ImageLabel(this);
    m_cover->setFixedSize(60, 60);
    // A playing album whose cover was missing may have one now.
    connect(&CoverChain::sCoverChain(), &CoverChain::coversInvalidated, this, [this] {
        m_coverDirectory.clear();
        setCoverForPath(m_coverPath);
    });
    m_cover->setCornerRadius(6);
    m_cover->setFill(true);
    m_cover->setImage(Icons::image(QStringLiteral("no_cover"), QSize(60, 60)));
    m_cover->setAccessibleName(tr("Pochette"));

    // A long title ends in "…" where the bar ends; the tooltip holds it whole.
    m_currentSongTitle = new ElidedLabel(QStringLiteral(" "), this);
    m_currentSongTitle->setFont(Style::titleFont());
    m_currentArtistAlbum = new ElidedLabel(QStringLiteral(""), this);
    m_currentArtistAlbum->setFont(Style::subtitleFont());
    for (QLabel *l : {m_currentSongTitle, m_currentArtistAlbum})
        l->setMinimumWidth(60);

    m_previous = transportButton(QStringLiteral("previous_button"), tr("Précédent"), 30);
    m_playImg = transportButton(QStringLiteral("play_button"), tr("Lecture / Pause"), 42);
    m_next = transportButton(QStringLiteral("next_button"), tr("Suivant"), 30);
    m_stop = transportButton(QStringLiteral("stop_button"), tr("Stop"), 30);
    m_playImageName = QStringLiteral("play_button");
    m_random = modeButton(QStringLiteral("random_button"), tr("Aléatoire"));
    m_repeat = modeButton(QStringLiteral("repeat_button"), tr("Répéter"));
    // A click asks; the check mark stays what the server said until it answers. Read
    // from the toggle, not the click: a screen reader toggles without clicking.
    connect(m_random, &QToolButton::toggled, this, [this] {
        if (m_settingModes) return;
        setModes(m_randomOn, m_repeatOn);
        Q_EMIT randomToggled(!m_randomOn);
    });
    connect(m_repeat, &QToolButton::toggled, this, [this] {
        if (m_settingModes) return;
        setModes(m_randomOn, m_repeatOn);
        Q_EMIT repeatToggled(!m_repeatOn);
    });

    m_elapsedTime = new QLabel(QStringLiteral(" 0:00"), this);
    m_songLenght = new QLabel(QStringLiteral(" 0:00"), this);
    for (QLabel *l : {m_elapsedTime, m_songLenght}) {
        l->setFont(Style::timeFont());
        fitTimeLabel(l);
    }
    m_elapsedTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_songLenght->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_progressTrack = ProgressSlider::standard(Qt::Horizontal, this);
    m_progressTrack->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_progressTrack->setFocusPolicy(Qt::NoFocus);
    m_progressTrack->setObjectName(QStringLiteral("progressTrack"));
    m_progressTrack->setReadOnly(true);
    m_progressTrack->setAccessibleName(tr("Progression"));
    // The seek bar lies over the progress bar and draws nothing: it only takes the clicks.
    m_seekToBar = ProgressSlider::withImages(transparent(14, 14), transparent(8, 4),
                                             transparent(8, 4), Qt::Horizontal, this);
    m_seekToBar->setCursor(Qt::PointingHandCursor);
    m_seekToBar->setToolTip(tr("Aller à"));
    // Reached with Tab: the arrows move 5 s, Page Up and Page Down 30 s.
    m_seekToBar->setFocusPolicy(Qt::StrongFocus);
    m_seekToBar->setObjectName(QStringLiteral("seekToBar"));
    m_seekToBar->setAccessibleName(tr("Position"));
    m_seekToBar->setSingleStep(5 * ProgressSlider::scale);
    m_seekToBar->setPageStep(30 * ProgressSlider::scale);
    const auto timeText = [](double value, double maximum) {
        if (maximum <= 0) return QString();
        return tr("%1 sur %2")
            .arg(NowPlayingText::totalText(qint32(value)).trimmed(),
                 NowPlayingText::totalText(qint32(maximum)).trimmed());
    };
    // Away from the keys the seek bar keeps what the pointer left (followPoll): it reads
    // where the song is, as the progress bar does.
    m_seekToBar->setValueText([this, timeText](double value, double maximum) {
        const bool own = m_seekToBar->hasFocus() || m_seekToBar->isSliderDown();
        return timeText(own ? value : m_progressTrack->doubleValue(), maximum);
    });
    m_seekToBar->installEventFilter(this);
    m_progressTrack->setValueText(timeText);

    m_volumeSlider = ProgressSlider::standard(Qt::Horizontal, this);
    m_volumeSlider->setMaximumValue(100);
    m_volumeSlider->setFixedWidth(120);
    m_volumeSlider->setToolTip(tr("Volume"));
    m_volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    m_volumeSlider->setAccessibleName(tr("Volume"));
    m_volumeSlider->setFocusPolicy(Qt::StrongFocus);
    m_volumeSlider->setValueText([this](double value, double) {
        if (!m_volumeSlider->isEnabled()) return tr("sans contrôle du volume");
        return tr("%1 %").arg(std::lround(value));
    });
    m_volumeSlider->setPageStep(5 * ProgressSlider::scale);
    m_volumeSlider->setSingleStep(1 * ProgressSlider::scale);
    m_volumeIcon = new QLabel(this);
    m_volumeIcon->setAccessibleName(tr("Volume"));

    // Left: cover and the two text lines.
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addStretch();
    texts->addWidget(m_currentSongTitle);
    texts->addWidget(m_currentArtistAlbum);
    // The connection's state while it is not up: "Connexion…", "Déconnecté — …".
    m_link = new QLabel(this);
    m_link->setObjectName(QStringLiteral("linkState"));
    m_link->setFont(Style::subtitleFont());
    QPalette linkPalette = m_link->palette();
    linkPalette.setColor(QPalette::WindowText, Style::secondaryLabelColor());
    m_link->setPalette(linkPalette);
    m_link->hide();
    texts->addWidget(m_link);
    texts->addStretch();
    auto *left = new QHBoxLayout;
    left->setSpacing(12);
    left->addWidget(m_cover);
    left->addLayout(texts, 1);
    auto *leftBox = new QWidget(this);
    // Screen readers find the song here by name; its change is announced (setSongTitleText).
    m_nowPlaying = leftBox;
    leftBox->setObjectName(QStringLiteral("nowPlaying"));
    leftBox->setAccessibleName(tr("Lecture en cours"));
    leftBox->setLayout(left);
    left->setContentsMargins(0, 0, 0, 0);

    // Centre: the transport row above the time line.
    auto *transport = new QHBoxLayout;
    transport->setSpacing(14);
    transport->addStretch();
    transport->addWidget(m_random);
    transport->addWidget(m_stop);
    transport->addWidget(m_previous);
    transport->addWidget(m_playImg);
    transport->addWidget(m_next);
    transport->addWidget(m_repeat);
    transport->addSpacing(30); // balances the stop button so play sits in the middle
    transport->addStretch();
    auto *bars = new QGridLayout;
    bars->setContentsMargins(0, 0, 0, 0);
    bars->addWidget(m_progressTrack, 0, 0);
    bars->addWidget(m_seekToBar, 0, 0);
    auto *timeline = new QHBoxLayout;
    timeline->setSpacing(10);
    timeline->addWidget(m_elapsedTime);
    timeline->addLayout(bars, 1);
    timeline->addWidget(m_songLenght);
    auto *centre = new QVBoxLayout;
    centre->setSpacing(4);
    centre->addLayout(transport);
    centre->addLayout(timeline);
    auto *centreBox = new QWidget(this);
    centreBox->setLayout(centre);
    centre->setContentsMargins(0, 0, 0, 0);

    // Right: volume.
    auto *right = new QHBoxLayout;
    right->setSpacing(8);
    right->addStretch();
    right->addWidget(m_volumeIcon);
    right->addWidget(m_volumeSlider);
    auto *rightBox = new QWidget(this);
    rightBox->setLayout(right);
    right->setContentsMargins(0, 0, 0, 0);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 10, 20, 10);
    row->setSpacing(24);
    row->addWidget(leftBox, 3);
    row->addWidget(centreBox, 4);
    row->addWidget(rightBox, 3);

    connect(m_playImg, &QToolButton::clicked, this, &NowPlayingBar::playButton);
    connect(m_stop, &QToolButton::clicked, this, &NowPlayingBar::stopButtonClicked);
    connect(m_next, &QToolButton::clicked, this, &NowPlayingBar::nextButtonClicked);
    connect(m_previous, &QToolButton::clicked, this, &NowPlayingBar::previousButtonClicked);
    // While the knob is dragged the progress bar follows the pointer, not the poll.
    connect(m_seekToBar, &QSlider::sliderMoved, this, [this] {
        if (m_seekable) m_progressTrack->setDoubleValue(m_seekToBar->doubleValue());
    });
    connect(m_seekToBar, &QSlider::sliderReleased, this,
            [this] { Q_EMIT seekRequested(float(m_seekToBar->doubleValue())); });
    // Keys and screen readers move the value without a drag: each move is a seek. The
    // poll's own updates (setElapsed) are not.
    connect(m_seekToBar, &QSlider::valueChanged, this, [this] {
        if (m_followingPoll || m_seekToBar->isSliderDown() || !m_seekable) return;
        m_progressTrack->setDoubleValue(m_seekToBar->doubleValue());
        Q_EMIT seekRequested(float(m_seekToBar->doubleValue()));
    });
    connect(m_volumeSlider, &QSlider::valueChanged, this, [this] {
        updateVolumeIcon();
        if (!m_settingVolume) Q_EMIT volumeChanged(int(std::lround(m_volumeSlider->doubleValue())));
    });
    applyPalette();
}

QToolButton *NowPlayingBar::transportButton(const QString &icon, const QString &tip, int size) {
    auto *b = new QToolButton(this);
    b->setIcon(Icons::icon(icon));
    b->setIconSize(QSize(size, size));
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setAutoRaise(true);
    // The Lecture menu and its shortcuts are the keyboard's way to these buttons.
    b->setFocusPolicy(Qt::NoFocus);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(
        QStringLiteral("QToolButton { border: none; padding: 2px; border-radius: %1px; }"
                       "QToolButton:hover { background: rgba(128,128,128,0.16); }"
                       "QToolButton:pressed { background: rgba(128,128,128,0.28); }")
            .arg((size + 4) / 2));
    return b;
}

// Off in the text colour, on in the accent: drawn again when the palette changes.
QIcon NowPlayingBar::modeIcon(const QString &name) {
    QIcon states;
    const QSize size(20, 20);
    states.addPixmap(Icons::pixmap(name, size), QIcon::Normal, QIcon::Off);
    states.addPixmap(Icons::pixmap(name + QStringLiteral("_on"), size), QIcon::Normal, QIcon::On);
    return states;
}

QToolButton *NowPlayingBar::modeButton(const QString &icon, const QString &tip) {
    QToolButton *b = transportButton(icon, tip, 20);
    b->setIcon(modeIcon(icon));
    b->setCheckable(true);
    b->setObjectName(icon);
    return b;
}

void NowPlayingBar::setModes(bool random, bool repeat) {
    m_randomOn = random;
    m_repeatOn = repeat;
    m_settingModes = true;
    m_random->setChecked(random);
    m_repeat->setChecked(repeat);
    m_settingModes = false;
}

void NowPlayingBar::applyPalette() {
    Style::setTextColor(m_currentArtistAlbum, Style::secondaryLabelColor());
    Style::setTextColor(m_elapsedTime, Style::secondaryLabelColor());
    Style::setTextColor(m_songLenght, Style::secondaryLabelColor());
    if (m_random) {
        m_random->setIcon(modeIcon(m_random->objectName()));
        m_repeat->setIcon(modeIcon(m_repeat->objectName()));
    }
    m_volumeIconName.clear(); // drawn again in the new palette
    updateVolumeIcon();
    // The track pictures carry palette colours: draw them again for the new palette.
    for (ProgressSlider *s : {m_progressTrack, m_volumeSlider}) {
        s->setMinimumValueImage(Icons::image(QStringLiteral("track_min")));
        s->setMaximumValueImage(Icons::image(QStringLiteral("track_max")));
        s->setKnobImage(Icons::image(QStringLiteral("knob")));
    }
    update();
}

bool NowPlayingBar::event(QEvent *e) {
    if (e->type() == QEvent::ApplicationPaletteChange) applyPalette();
    return QWidget::event(e);
}

bool NowPlayingBar::eventFilter(QObject *watched, QEvent *event) {
    // The keys seek, the wheel does not: a scroll over the bar is not meant as a seek.
    if (watched == m_seekToBar && event->type() == QEvent::Wheel) return true;
    if (watched == m_seekToBar && event->type() == QEvent::FocusIn)
        followPoll(m_progressTrack->doubleValue());
    return QWidget::eventFilter(watched, event);
}

void NowPlayingBar::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), Style::barBackground());
    p.setPen(Style::separatorColor());
    p.drawLine(rect().topLeft(), rect().topRight());
}

void NowPlayingBar::setPlayImage(const QString &name) {
    if (m_playImageName == name) return;
    m_playImageName = name;
    m_playImg->setIcon(Icons::icon(name));
}

void NowPlayingBar::setElapsed(quint32 milliseconds) {
    // The user's drag wins over the poll until the knob is let go.
    if (!m_seekToBar->isSliderDown()) {
        m_progressTrack->setDoubleValue(float(milliseconds * 0.001f));
        followPoll(milliseconds * 0.001);
    }
    if (milliseconds != 0) {
        m_elapsedTime->setText(NowPlayingText::elapsedText(milliseconds));
        fitTimeLabel(m_elapsedTime);
    }
}

void NowPlayingBar::fitTimeLabel(QLabel *label) {
    // A label of fixed size: the text that changes every second then repaints the label
    // alone, where a size left to the layout would lay the whole bar out again each time.
    // It only ever widens, for a track of 1000 minutes or more.
    const QFontMetrics metrics(label->font());
    const int width =
        std::max({label->minimumWidth(), metrics.horizontalAdvance(QStringLiteral("000:00")),
                  metrics.horizontalAdvance(label->text())});
    if (width == label->minimumWidth() && label->maximumWidth() == width) return;
    label->setFixedSize(width, label->sizeHint().height());
}

void NowPlayingBar::showStopped() {
    // Stopped, the server reports no elapsed time at all: the last one shown would be a
    // song's old place, not where play starts again.
    if (!m_seekToBar->isSliderDown()) {
        m_progressTrack->setDoubleValue(0);
        followPoll(0);
    }
    m_elapsedTime->setText(NowPlayingText::elapsedText(0));
}

void NowPlayingBar::setMaximumTime(qint32 seconds) {
    m_progressTrack->setMaximumValue(seconds);
    m_followingPoll = true;
    m_seekToBar->setMaximumValue(seconds);
    m_followingPoll = false;
}

void NowPlayingBar::followPoll(double seconds) {
    // With the keys on it, the seek bar starts its steps from where the song is (and
    // reads that to a screen reader); otherwise it keeps what the pointer left there.
    if (!m_seekToBar->hasFocus()) return;
    m_followingPoll = true;
    m_seekToBar->setDoubleValue(seconds);
    m_followingPoll = false;
}

void NowPlayingBar::setTotalTime(qint32 seconds) {
    if (seconds > 0)
        m_songLenght->setText(NowPlayingText::totalText(seconds));
    else
        m_songLenght->setText(QStringLiteral(""));
    fitTimeLabel(m_songLenght);
}

void NowPlayingBar::setArtistAndAlbumText(const QString &text) {
    m_currentArtistAlbum->setText(text);
    m_currentArtistAlbum->setToolTip(text.trimmed());
    announceSong();
}

void NowPlayingBar::setSongTitleText(const QString &text) {
    m_currentSongTitle->setText(text);
    m_currentSongTitle->setToolTip(text.trimmed());
    announceSong();
}

QString NowPlayingBar::nowPlayingText() const {
    const QString title = m_currentSongTitle->text().trimmed();
    const QString artist = m_currentArtistAlbum->text().trimmed();
    if (title.isEmpty()) return artist;
    return artist.isEmpty() ? title : tr("%1, %2").arg(title, artist);
}

void NowPlayingBar::announceSong() {
    // The labels say their own change; the box around them reads the whole song
    // ("Titre, Artiste - Album") so a screen reader has one place to look and to watch.
    const QString text = nowPlayingText();
    if (text == m_nowPlaying->accessibleDescription()) return;
    m_nowPlaying->setAccessibleDescription(text);
    QAccessibleEvent event(m_nowPlaying, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void NowPlayingBar::setVolume(quint32 volume) {
    m_settingVolume = true;
    if (volume > 100) {
        m_volumeSlider->setEnabled(false);
        m_volumeSlider->setToolTip(tr("Le serveur n'a pas de contrôle du volume"));
        m_volumeSlider->setDoubleValue(0);
    } else {
        m_volumeSlider->setEnabled(true);
        m_volumeSlider->setToolTip(tr("Volume"));
        if (!m_volumeSlider->isSliderDown()) m_volumeSlider->setDoubleValue(volume);
    }
    updateVolumeIcon();
    m_settingVolume = false;
}

QString NowPlayingBar::volumeIconName(int volume) {
    if (volume <= 0) return QStringLiteral("volume_mute");
    if (volume < 34) return QStringLiteral("volume_low");
    if (volume < 67) return QStringLiteral("volume_medium");
    return QStringLiteral("volume_high");
}

void NowPlayingBar::updateVolumeIcon() {
    // Without mixer the slider is off: a greyed mute, whatever it last showed.
    const bool mixer = m_volumeSlider->isEnabled();
    const QString name = mixer ? volumeIconName(int(std::lround(m_volumeSlider->doubleValue())))
                               : QStringLiteral("volume_mute");
    if (name == m_volumeIconName && mixer == m_volumeIconEnabled) return;
    m_volumeIconName = name;
    m_volumeIconEnabled = mixer;
    m_volumeIcon->setPixmap(Icons::icon(name).pixmap(QSize(18, 18), devicePixelRatioF(),
                                                     mixer ? QIcon::Normal : QIcon::Disabled));
}

void NowPlayingBar::setLinkText(const QString &text) {
    m_link->setText(text);
    m_link->setVisible(!text.isEmpty());
}

void NowPlayingBar::setTransportEnabled(bool enabled) {
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_playImg, m_stop, m_next, m_previous, m_seekToBar,
                                          m_volumeSlider, m_random, m_repeat})
        w->setEnabled(enabled);
}

void NowPlayingBar::setSeekable(bool seekable) {
    m_seekable = seekable;
    m_seekToBar->setCursor(seekable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    m_seekToBar->setToolTip(seekable ? tr("Aller à") : QString());
}

void NowPlayingBar::setCoverForPath(const QString &path) {
    const bool stream = NowPlayingText::isStream(path);
    const QString directory =
        (path.isEmpty() || stream) ? QString() : path.section(QLatin1Char('/'), 0, -2);
    const QString key = (path.isEmpty() || stream) ? QString() : QStringLiteral("/") + directory;
    m_coverPath = path;
    if (key == m_coverDirectory) return;
    m_coverDirectory = key;
    const QImage placeholder = Icons::image(QStringLiteral("no_cover"), m_cover->size());
    if (key.isNull()) {
        m_cover->setImage(placeholder);
        return;
    }
    m_cover->setImageWithURL(CoverRequest::address(directory, path), placeholder);
}

} // namespace kelvane
