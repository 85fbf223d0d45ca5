#include "console/ConsoleWriter.h"

#include <cstdio>

namespace kelvane {

QString ConsoleWriter::escape(const QString &value)
{
    if (value.isNull())
        return QStringLiteral("\\N");
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\t': out += QLatin1String("\\t"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\\': out += QLatin1String("\\\\"); break;
        default: out += c;
        }
    }
    return out;
}

QString ConsoleWriter::formatLine(const QStringList &fields)
{
    QStringList escaped;
    escaped.reserve(fields.size());
    for (const QString &f : fields)
        escaped << escape(f);
    return escaped.join(QLatin1Char('\t'));
}

void ConsoleWriter::line(const QStringList &fields)
{
    const QByteArray bytes = formatLine(fields).toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void ConsoleWriter::end(qsizetype count)
{
    line({QStringLiteral("end"), QString::number(count)});
}

void ConsoleWriter::absent()
{
    line({QStringLiteral("absent")});
}

} // namespace kelvane
