#include "console/ConsoleWriter.h"

#include <cstdio>
#include <utility>

namespace kelvane {

namespace {
int answerDepth = 0;
QByteArray pendingOutput;

void writeOut(const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}
} // namespace

ConsoleWriter::Answer::Answer() {
    ++answerDepth;
}

ConsoleWriter::Answer::~Answer() {
    if (--answerDepth > 0 || pendingOutput.isEmpty()) return;
    writeOut(std::exchange(pendingOutput, {}));
}

QString ConsoleWriter::escape(const QString &value) {
    if (value.isNull()) return QStringLiteral("\\N");
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case 0:
            out += QLatin1String("\\0");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString ConsoleWriter::formatLine(const QStringList &fields) {
    QStringList escaped;
    escaped.reserve(fields.size());
    for (const QString &f : fields)
        escaped << escape(f);
    return escaped.join(QLatin1Char('\t'));
}

void ConsoleWriter::line(const QStringList &fields) {
    const QByteArray bytes = formatLine(fields).toUtf8() + '\n';
    if (answerDepth > 0)
        pendingOutput += bytes;
    else
        writeOut(bytes);
}

void ConsoleWriter::end(qsizetype count) {
    line({QStringLiteral("end"), QString::number(count)});
}

void ConsoleWriter::absent() {
    line({QStringLiteral("absent")});
}

} // namespace kelvane
