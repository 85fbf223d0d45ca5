#include "console/ConsoleArguments.h"

#include <cmath>

namespace kelvane::consoleargs {

QHash<QString, QString> options(const QStringList &args) {
    QHash<QString, QString> options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--console")) continue;
        const QString name = arg.mid(2);
        if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--")))
            options.insert(name, args[++i]);
        else
            options.insert(name, QString());
    }
    return options;
}

Line split(const QString &rawLine) {
    Line line;
    line.text = rawLine;
    if (line.text.endsWith(QLatin1Char('\r'))) line.text.chop(1);
    if (line.text.trimmed().isEmpty()) return line;
    // A NUL ends an argument once it reaches the server's protocol, so a command would act
    // on less than was typed: refused whole, like any malformed argument.
    if (line.text.contains(QChar(u'\0'))) {
        line.kind = Line::Kind::Invalid;
        return line;
    }
    line.kind = Line::Kind::Command;
    const qsizetype space = line.text.indexOf(QLatin1Char(' '));
    line.name = space < 0 ? line.text : line.text.left(space);
    if (space >= 0) line.argument = line.text.mid(space + 1);
    return line;
}

std::optional<bool> flag(const QString &text) {
    const QString t = text.trimmed();
    if (t == QLatin1String("0")) return false;
    if (t == QLatin1String("1")) return true;
    return std::nullopt;
}

std::optional<qint32> position(const QString &text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 9) return std::nullopt;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    return t.toInt();
}

std::optional<quint32> unsignedNumber(const QString &text) {
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok);
    return ok ? std::optional<quint32>(value) : std::nullopt;
}

std::optional<int> single(const QString &text) {
    const QString t = text.trimmed();
    if (t == QLatin1String("oneshot")) return 2;
    if (const auto on = flag(t)) return *on ? 1 : 0;
    return std::nullopt;
}

std::optional<quint32> crossfade(const QString &text) {
    const auto seconds = position(text);
    if (!seconds || *seconds > 3600) return std::nullopt;
    return quint32(*seconds);
}

std::optional<QString> replayGain(const QString &text) {
    const QString t = text.trimmed();
    for (const char *mode : {"off", "track", "album", "auto"})
        if (t == QLatin1String(mode)) return t;
    return std::nullopt;
}

std::optional<OutputSwitch> output(const QString &text) {
    const QStringList fields = text.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fields.size() != 2) return std::nullopt;
    const auto id = position(fields[0]);
    const auto on = flag(fields[1]);
    if (!id || !on) return std::nullopt;
    return OutputSwitch{quint32(*id), *on};
}

std::optional<std::pair<qint32, qint32>> move(const QString &text) {
    const QStringList fields = text.split(QLatin1Char('\t'));
    if (fields.size() != 2) return std::nullopt;
    const auto from = position(fields[0]);
    const auto to = position(fields[1]);
    if (!from || !to) return std::nullopt;
    return std::pair{*from, *to};
}

std::optional<QList<qint32>> positions(const QString &text) {
    QList<qint32> list;
    for (const QString &field : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = field.toInt(&ok);
        if (!ok || value < 0) return std::nullopt;
        list << value;
    }
    return list;
}

std::optional<std::pair<QString, QString>> rename(const QString &text) {
    const QStringList names = text.split(QLatin1Char('\t'));
    if (names.size() != 2) return std::nullopt;
    return std::pair{names[0], names[1]};
}

std::optional<quint32> volume(const QString &text) {
    const auto value = unsignedNumber(text);
    if (!value || *value > 100) return std::nullopt;
    return value;
}

std::optional<float> seconds(const QString &text) {
    bool ok = false;
    const float value = text.trimmed().toFloat(&ok);
    // "nan" and "inf" read as numbers; neither is a place in a song.
    if (!ok || !std::isfinite(value) || value < 0) return std::nullopt;
    return value;
}

std::optional<AlbumChoice> albumChoice(const QString &text) {
    const QStringList fields = text.split(QLatin1Char('\t'));
    if (fields.size() < 2 || fields.size() > 3) return std::nullopt;
    AlbumChoice choice{fields[0], fields[1], std::nullopt};
    if (fields.size() == 3) {
        choice.position = unsignedNumber(fields[2]);
        if (!choice.position) return std::nullopt;
    }
    return choice;
}

std::optional<std::pair<QString, quint32>> playlistPosition(const QString &text) {
    const QStringList fields = text.split(QLatin1Char('\t'));
    const auto at = fields.size() == 2 ? unsignedNumber(fields[1]) : std::nullopt;
    if (!at) return std::nullopt;
    return std::pair{fields[0], *at};
}

std::pair<QString, QString> radioPage(const QString &text) {
    const qsizetype tab = text.indexOf(u'\t');
    const QString url = tab < 0 ? text : text.left(tab);
    const QString name = tab < 0 ? QStringLiteral("") : text.mid(tab + 1);
    return {url, name};
}

} // namespace kelvane::consoleargs
