#pragma once

#include <QString>

class QWidget;

namespace kelvane {

// Opens the deletion confirmation for the stream view (title, question, the
// notification it answers on) and returns its window, which deletes itself when
// closed. GUI thread.
QWidget *openStreamConfirm(QWidget *parent, const QString &title, const QString &message,
                           const QString &notification);

} // namespace kelvane
