#include "mpdc/Arguments.h"

namespace kelvane::mpdc {

bool hasControlCharacter(QStringView text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
    return false;
}

qsizetype quotedSize(const QByteArray &utf8) {
    qsizetype size = utf8.size() + 3; // the two quotes and the space before them
    for (char c : utf8)
        if (c == '"' || c == '\\') ++size;
    return size;
}

ArgumentProblem checkArguments(std::initializer_list<QStringView> texts) {
    for (QStringView text : texts)
        if (hasControlCharacter(text)) return ArgumentProblem::ControlCharacter;
    // The longest command name that carries text arguments, with its line feed.
    constexpr qsizetype command = 24;
    // A UTF-8 byte, escaped, takes at most 3 bytes per UTF-16 unit: the usual short texts
    // need no encoding to be known to fit.
    qsizetype estimate = command;
    for (QStringView text : texts)
        estimate += text.size() * 3 + 3;
    if (estimate <= maxCommandLineBytes) return ArgumentProblem::None;
    qsizetype line = command;
    for (QStringView text : texts)
        line += quotedSize(text.toUtf8());
    return line > maxCommandLineBytes ? ArgumentProblem::TooLong : ArgumentProblem::None;
}

} // namespace kelvane::mpdc
