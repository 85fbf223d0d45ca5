#pragma once

#include "core/streams/Stream.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kelvane {

// The list arithmetic of the stream view and editor, as pure functions: ordering,
// which stored positions a deletion covers and in what form they are sent, and what
// the editor accepts. Any thread.
namespace StreamListing {

// By name, accents and case aside (textfold::compareForOrder), ascending; names equal
// under that key as before (case-insensitively), and names equal apart from case keep
// the server's order.
QList<Stream> sortList(QList<Stream> streams);

// Several rows chosen for deletion: every saved stream (as read now) whose address
// equals one of the chosen rows' addresses, each position once, ascending.
QList<qint32> positionsForAddresses(const QStringList &chosenUrls, const QList<Stream> &current);

// What to send for positions deleted one after another: each deletion moves the later
// entries down by one, so the k-th position (ascending, from 0) is sent as p - k.
QList<quint32> deletionSequence(QList<qint32> positions);

// The editor's check: an address longer than 7 characters that begins with "http"
// (case-sensitive, so "https" passes), and a name that is not empty; neither may hold
// a control character (inputcheck).
struct InputCheck {
    bool nameOk = false;
    bool urlOk = false;
    bool valid() const { return nameOk && urlOk; }
};
InputCheck checkInput(const QString &name, const QString &url);

} // namespace StreamListing
} // namespace kelvane
