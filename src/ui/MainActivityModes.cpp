// The playback modes, replay gain and audio outputs in the menus and the now-playing
// bar. Every entry shows what the server last reported: a click only asks, and the check
// marks are put back from the server's answer (a refused change leaves them as they were).
#include "ui/MainActivity.h"

#include "core/commands/MPDCommand.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/PlayerEvents.h"
#include "ui/MainWindow.h"
#include "ui/NowPlayingBar.h"

#include <QAction>
#include <QMenu>

namespace kelvane {

namespace {
constexpr quint32 crossfades[] = {0, 2, 5, 10};
// The mode is the server's word; the title is translated when the menu is built.
const char *const replayGains[][2] = {
    {"off", QT_TRANSLATE_NOOP("kelvane::MainActivity", "Désactivé")},
    {"track", QT_TRANSLATE_NOOP("kelvane::MainActivity", "Piste")},
    {"album", QT_TRANSLATE_NOOP("kelvane::MainActivity", "Album")},
    {"auto", QT_TRANSLATE_NOOP("kelvane::MainActivity", "Automatique")}};
} // namespace

void MainActivity::buildModeMenus(QMenu *play, QMenu *server) {
    const auto checkable = [this](QMenu *menu, const QString &id, const QString &title, auto ask) {
        QAction *action = menu->addAction(title);
        action->setObjectName(id);
        action->setCheckable(true);
        m_modeActions.append(action);
        connect(action, &QAction::triggered, this, [this, ask](bool checked) {
            ask(checked);
            showOptions(m_options);
        });
        return action;
    };
    MPDCommand &command = MPDCommand::sMPDCommand();
    play->addSeparator();
    checkable(play, QStringLiteral("random"), tr("Aléatoire"),
              [&command](bool on) { command.setRandom(on); });
    checkable(play, QStringLiteral("repeat"), tr("Répéter"),
              [&command](bool on) { command.setRepeat(on); });
    checkable(play, QStringLiteral("single"), tr("Morceau unique"),
              [&command](bool on) { command.setSingle(on ? 1 : 0); });
    // Once: single for the song playing, then the server turns it off by itself. Leaving
    // it keeps single on (the plainer of the two).
    checkable(play, QStringLiteral("oneshot"), tr("Une seule fois"),
              [&command](bool on) { command.setSingle(on ? 2 : 1); });
    checkable(play, QStringLiteral("consume"), tr("Consommer"),
              [&command](bool on) { command.setConsume(on); });
    QMenu *fade = play->addMenu(tr("Fondu enchaîné"));
    fade->setObjectName(QStringLiteral("crossfadeMenu"));
    for (quint32 seconds : crossfades) {
        checkable(fade, QStringLiteral("crossfade%1").arg(seconds),
                  seconds == 0 ? tr("Désactivé") : tr("%1 s").arg(seconds),
                  [&command, seconds](bool) { command.setCrossfade(seconds); });
    }
    // A length set elsewhere that the menu does not offer: shown, checked, as it is.
    QAction *other = checkable(fade, QStringLiteral("crossfadeOther"), QString(), [this](bool) {
        MPDCommand::sMPDCommand().setCrossfade(m_options.crossfade);
    });
    other->setVisible(false);

    server->addSeparator();
    QMenu *gain = server->addMenu(tr("Replay Gain"));
    gain->setObjectName(QStringLiteral("replayGainMenu"));
    for (const auto &[mode, title] : replayGains) {
        const QString name = QString::fromLatin1(mode);
        checkable(gain, QStringLiteral("replayGain_") + name, tr(title),
                  [&command, name](bool) { command.setReplayGain(name); });
    }
    m_outputsMenu = server->addMenu(tr("Sorties audio"));
    m_outputsMenu->setObjectName(QStringLiteral("outputsMenu"));

    NowPlayingBar *bar = m_window->bar();
    connect(bar, &NowPlayingBar::randomToggled, this,
            [&command](bool on) { command.setRandom(on); });
    connect(bar, &NowPlayingBar::repeatToggled, this,
            [&command](bool on) { command.setRepeat(on); });

    PlayerEvents &events = PlayerEvents::sPlayerEvents();
    connect(&events, &PlayerEvents::optionsChanged, this, &MainActivity::showOptions);
    connect(&events, &PlayerEvents::outputsChanged, this, &MainActivity::showOutputs);
    // What was announced before this window existed.
    const auto &status = MPDCache::sMPDCache().getStatus();
    showOptions(status ? PlayerOptions::of(*status) : PlayerOptions{});
    showOutputs(MPDSocket::sMPDSocket().outputs().value_or(QList<AudioOutput>{}));
}

void MainActivity::showOptions(const PlayerOptions &options) {
    m_options = options;
    const auto check = [this](const QString &id, bool on) {
        if (QAction *a = action(id)) a->setChecked(on);
    };
    check(QStringLiteral("random"), options.random);
    check(QStringLiteral("repeat"), options.repeat);
    check(QStringLiteral("single"), options.single != 0);
    check(QStringLiteral("oneshot"), options.single == 2);
    check(QStringLiteral("consume"), options.consume);
    // A crossfade set elsewhere to another length checks none of the four, but its own
    // entry.
    bool offered = false;
    for (quint32 seconds : crossfades) {
        check(QStringLiteral("crossfade%1").arg(seconds), options.crossfade == seconds);
        offered |= options.crossfade == seconds;
    }
    if (QAction *other = action(QStringLiteral("crossfadeOther"))) {
        other->setText(tr("%1 s (réglé ailleurs)").arg(options.crossfade));
        other->setVisible(!offered);
        other->setChecked(!offered);
    }
    for (const auto &[mode, title] : replayGains)
        check(QStringLiteral("replayGain_") + QLatin1String(mode),
              options.replayGain == QLatin1String(mode));
    m_window->bar()->setModes(options.random, options.repeat);
}

void MainActivity::showOutputs(const QList<AudioOutput> &outputs) {
    // Later, not now: this may run inside the triggered signal of one of these entries.
    for (QAction *old : m_outputsMenu->actions()) {
        m_outputsMenu->removeAction(old);
        old->setObjectName(QString());
        old->deleteLater();
    }
    if (outputs.isEmpty()) {
        m_outputsMenu->addAction(tr("Aucune sortie"))->setEnabled(false);
        return;
    }
    for (const AudioOutput &output : outputs) {
        QAction *entry = m_outputsMenu->addAction(output.name);
        entry->setObjectName(QStringLiteral("output%1").arg(output.id));
        entry->setCheckable(true);
        entry->setChecked(output.enabled);
        entry->setEnabled(MPDSocket::sMPDSocket().isConnected());
        const quint32 id = output.id;
        const bool enabled = output.enabled;
        connect(entry, &QAction::triggered, this, [this, entry, id, enabled] {
            // Back to what the server said; its answer rebuilds the menu when it changed.
            entry->setChecked(enabled);
            MPDCommand::sMPDCommand().setOutputEnabled(id, !enabled);
        });
    }
}

void MainActivity::setModesEnabled(bool enabled) {
    for (QAction *a : m_modeActions)
        a->setEnabled(enabled);
    for (QAction *a : m_outputsMenu->actions())
        a->setEnabled(enabled && a->isCheckable());
}

} // namespace kelvane
