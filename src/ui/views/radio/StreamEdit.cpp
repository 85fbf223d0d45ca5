#include "ui/views/radio/StreamEdit.h"

#include "core/mpd/MPDCache.h"
#include "core/notify/NotificationCenter.h"
#include "core/streams/MPDStream.h"
#include "ui/base/InputCheck.h"
#include "ui/base/Style.h"
#include "ui/views/radio/StreamListing.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvane {

StreamEdit::StreamEdit(QWidget *parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    build();
}

StreamEdit::StreamEdit(const Stream &stream, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_streamToEdit(stream) {
    build();
    m_nameField->setText(stream.name);
    m_urlField->setText(stream.url);
}

StreamEdit *StreamEdit::openForAdd(QWidget *parent) {
    auto *edit = new StreamEdit(parent);
    edit->setAttribute(Qt::WA_DeleteOnClose);
    edit->showWindow();
    return edit;
}

void StreamEdit::showWindow() {
    adjustSize();
    if (parentWidget()) {
        const QRect over = parentWidget()->window()->geometry();
        move(over.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
    m_nameField->setFocus();
}

void StreamEdit::build() {
    setObjectName(QStringLiteral("StreamEdit"));
    setWindowTitle(isAddMode() ? tr("Ajouter un stream") : tr("Modifier le stream"));

    m_labelName = new QLabel(tr("Nom :"), this);
    m_labelURL = new QLabel(tr("Adresse :"), this);
    m_nameField = new QLineEdit(this);
    m_urlField = new QLineEdit(this);
    m_nameField->setObjectName(QStringLiteral("nameField"));
    m_urlField->setObjectName(QStringLiteral("urlField"));
    m_nameField->setPlaceholderText(tr("Nom du stream"));
    m_urlField->setPlaceholderText(QStringLiteral("http://"));
    m_nameField->setMinimumWidth(380);
    m_labelName->setBuddy(m_nameField);
    m_labelURL->setBuddy(m_urlField);

    auto *form = new QFormLayout;
    form->addRow(m_labelName, m_nameField);
    form->addRow(m_labelURL, m_urlField);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *saveButton = buttons->addButton(tr("Enregistrer"), QDialogButtonBox::AcceptRole);
    QPushButton *cancelButton = buttons->addButton(tr("Annuler"), QDialogButtonBox::RejectRole);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    saveButton->setDefault(true);
    connect(saveButton, &QPushButton::clicked, this, &StreamEdit::save);
    connect(cancelButton, &QPushButton::clicked, this, &StreamEdit::cancel);
    // Return in either field saves, as the default button of a dialog would.
    connect(m_nameField, &QLineEdit::returnPressed, this, &StreamEdit::save);
    connect(m_urlField, &QLineEdit::returnPressed, this, &StreamEdit::save);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QColor StreamEdit::errorColour() {
    return Style::errorRed();
}

void StreamEdit::setLabelError(QLabel *label, bool error, bool controlCharacters) {
    Style::setTextColor(label, error ? errorColour() : Style::labelColor());
    // Red alone would not say what is wrong with a text that looks right.
    const QString why = controlCharacters ? inputcheck::refusedReason() : QString();
    label->setToolTip(why);
    if (QWidget *field = label->buddy()) field->setToolTip(why);
}

void StreamEdit::save() {
    const QString url = m_urlField->text();
    const QString name = m_nameField->text();
    const StreamListing::InputCheck check = StreamListing::checkInput(name, url);
    setLabelError(m_labelName, !check.nameOk, inputcheck::hasControlCharacters(name));
    setLabelError(m_labelURL, !check.urlOk, inputcheck::hasControlCharacters(url));
    if (!check.valid()) {
        boxClosed();
        return;
    }
    const QString entry = Stream::entryText(url, name);
    if (m_streamToEdit)
        writeEdit(entry);
    else
        MPDStream::sMPDStream().addStream(entry);
    MPDCache::sMPDCache().streamUpdateTrigger();
    close();
}

void StreamEdit::writeEdit(const QString &entry) {
    MPDStream::sMPDStream().replaceStream(*m_streamToEdit, entry);
}

void StreamEdit::cancel() {
    close();
}

void StreamEdit::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void StreamEdit::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    boxClosed();
}

void StreamEdit::boxClosed() {
    NotificationCenter::defaultCenter().post(QStringLiteral("editStreamBoxClose"));
}

} // namespace kelvane
