#include "ui/Preferences.h"

#include "core/settings/Language.h"
#include "core/settings/ServerAddress.h"
#include "core/settings/Setting.h"
#include "core/thread/MainThread.h"
#include "covers/CoverChain.h"
#include "ui/base/Style.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>
#include <QThreadPool>
#include <QVBoxLayout>

namespace kelvane {

namespace {
// Name lookups block for as long as the resolver takes: they get threads of their own, so
// a slow DNS neither freezes the dialog nor waits behind covers or radio pages.
struct LookupPool : QThreadPool {
    LookupPool() { setMaxThreadCount(2); }
};
QThreadPool &lookups() {
    static LookupPool pool;
    return pool;
}
} // namespace

Preferences::Preferences(QWidget *parent)
    : QDialog(parent), m_settingPref(Setting::sSetting().reload()) {
    setWindowTitle(tr("Préférences"));
    setModal(false);
    // The stored values, not a server given on the command line for this session.
    m_host = m_settingPref.storedHost();
    m_port = QString::asprintf("%d", int(m_settingPref.storedPort()));
    m_user = m_settingPref.user();
    m_pass = m_settingPref.pass();
    m_hostHTTP = m_settingPref.storedHostHTTP().value_or(QString());
    m_argsPHP = m_settingPref.argsPHP().value_or(QString());
    build();
    awakeFromNib();
}

void Preferences::build() {
    m_serverField = new QLineEdit;
    m_portField = new QLineEdit;
    m_usernameField = new QLineEdit;
    m_passwordField = new QLineEdit;
    m_passwordField->setEchoMode(QLineEdit::Password);
    m_labelIP = new QLabel(tr("Adresse du serveur MPD"));
    m_labelPort = new QLabel(tr("Port"));
    // The labels name their fields for screen readers (the form only does it for the
    // labels it makes itself).
    m_labelIP->setBuddy(m_serverField);
    m_labelPort->setBuddy(m_portField);
    // Not MPD itself: a web server running on the machine MPD runs on (the box below is
    // MPD's own covers).
    m_checkButtonHTTP = new QCheckBox(tr("Pochettes servies par un serveur web sur l'hôte MPD"));
    m_checkButtonHTTP->setObjectName(QStringLiteral("checkButtonHTTP"));
    m_checkButtonHTTP->setToolTip(
        tr("Demander les pochettes (cover.jpg de chaque dossier d'album) à un "
           "serveur web à l'adresse du serveur MPD. Décochez pour indiquer un autre "
           "serveur web."));
    m_serverHTTPField = new QLineEdit;
    m_checkButtonPHP = new QCheckBox(tr("Arguments de requête des pochettes"));
    m_argsPHPField = new QLineEdit;
    m_checkButtonMPDCovers = new QCheckBox(tr("Pochettes fournies par le serveur MPD"));
    m_checkButtonMPDCovers->setObjectName(QStringLiteral("checkButtonMPDCovers"));
    m_checkButtonMPDCovers->setToolTip(
        tr("Quand le serveur web n'a pas la pochette, la demander au serveur MPD "
           "(fichier cover.jpg du dossier ou image intégrée au morceau)."));
    m_passwordNote = new QLabel(tr("Mot de passe stocké en clair"));
    m_passwordNote->setObjectName(QStringLiteral("passwordNote"));
    Style::setTextColor(m_passwordNote, Style::secondaryLabelColor());
    m_checkButtonNotify = new QCheckBox(tr("Notifier le changement de morceau"));
    m_checkButtonNotify->setObjectName(QStringLiteral("checkButtonNotify"));
    m_languageBox = new QComboBox;
    m_languageBox->setObjectName(QStringLiteral("languageBox"));
    // In the order of language::Choice. Each language is named in itself, as every
    // desktop does, so it is found whatever the interface speaks now.
    m_languageBox->addItem(tr("Automatique"));
    m_languageBox->addItem(QStringLiteral("Français"));
    m_languageBox->addItem(QStringLiteral("English"));
    m_languageNote = new QLabel(tr("La langue change au prochain démarrage de Kelvane."));
    m_languageNote->setObjectName(QStringLiteral("languageNote"));
    m_languageNote->setWordWrap(true);
    Style::setTextColor(m_languageNote, Style::secondaryLabelColor());

    m_serverField->setPlaceholderText(QStringLiteral("127.0.0.1"));
    m_portField->setPlaceholderText(QStringLiteral("6600"));
    m_portField->setMaximumWidth(90);
    m_serverHTTPField->setPlaceholderText(tr("Adresse IP du serveur web"));
    m_argsPHPField->setPlaceholderText(tr("ex. cover.php?path="));
    m_usernameField->setPlaceholderText(tr("facultatif"));
    m_passwordField->setPlaceholderText(tr("facultatif"));

    const auto sectionTitle = [](const QString &text) {
        auto *title = new QLabel(text);
        title->setFont(Style::headerFont());
        Style::setTextColor(title, Style::secondaryLabelColor());
        return title;
    };
    // One form, so the labels of both sections line up.
    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(10);
    form->addRow(sectionTitle(tr("Serveur")));
    form->addRow(m_labelIP, m_serverField);
    form->addRow(m_labelPort, m_portField);
    form->addRow(tr("Utilisateur"), m_usernameField);
    form->addRow(tr("Mot de passe"), m_passwordField);
    form->addRow(QString(), m_passwordNote);
    form->addItem(new QSpacerItem(0, 8));
    form->addRow(sectionTitle(tr("Pochettes")));
    form->addRow(QString(), m_checkButtonHTTP);
    form->addRow(tr("Serveur web"), m_serverHTTPField);
    form->addRow(QString(), m_checkButtonPHP);
    form->addRow(tr("Arguments"), m_argsPHPField);
    form->addRow(QString(), m_checkButtonMPDCovers);
    form->addItem(new QSpacerItem(0, 8));
    form->addRow(sectionTitle(tr("Bureau")));
    form->addRow(QString(), m_checkButtonNotify);
    form->addRow(tr("Langue"), m_languageBox);
    form->addRow(QString(), m_languageNote);

    auto *buttons = new QDialogButtonBox;
    QPushButton *saveButton = buttons->addButton(tr("Enregistrer"), QDialogButtonBox::AcceptRole);
    QPushButton *cancelButton = buttons->addButton(tr("Annuler"), QDialogButtonBox::RejectRole);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    saveButton->setDefault(true);
    m_saveButton = saveButton;
    connect(saveButton, &QPushButton::clicked, this, &Preferences::save);
    connect(cancelButton, &QPushButton::clicked, this, &Preferences::cancel);
    connect(m_checkButtonHTTP, &QCheckBox::toggled, this, &Preferences::buttonHTTP);
    connect(m_checkButtonPHP, &QCheckBox::toggled, this, &Preferences::buttonPHP);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 18, 22, 16);
    layout->setSpacing(10);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    setMinimumWidth(460);
}

void Preferences::awakeFromNib() {
    m_serverField->setText(m_host);
    m_portField->setText(m_port);
    m_usernameField->setText(m_user);
    m_passwordField->setText(m_pass);
    m_checkButtonNotify->setChecked(m_settingPref.notifyTrackChange());
    m_languageBox->setCurrentIndex(int(language::storedChoice()));
    m_shownPass = m_pass;
    showPasswordPlace();
    // A keyring answering while the window is open: the field gets the password unless
    // the user has typed one.
    connect(&m_settingPref.passwordEvents(), &PasswordEvents::changed, this, [this] {
        if (m_passwordField->text() == m_shownPass && m_settingPref.pass() != m_shownPass) {
            m_shownPass = m_settingPref.pass();
            m_passwordField->setText(m_shownPass);
        }
        showPasswordPlace();
    });
    // With nothing stored, covers come from the MPD host and take no arguments.
    m_checkButtonHTTP->setChecked(true);
    m_serverHTTPField->setEnabled(false);
    m_checkButtonPHP->setChecked(false);
    m_argsPHPField->setEnabled(false);
    m_checkButtonMPDCovers->setChecked(m_settingPref.mpdCovers());
    if (!m_hostHTTP.isEmpty()) {
        m_checkButtonHTTP->setChecked(false);
        m_serverHTTPField->setEnabled(true);
        m_serverHTTPField->setText(m_hostHTTP);
    }
    if (!m_argsPHP.isEmpty()) {
        m_checkButtonPHP->setChecked(true);
        m_argsPHPField->setEnabled(true);
        m_argsPHPField->setText(m_argsPHP);
    }
}

void Preferences::showPasswordPlace() {
    QString note;
    switch (m_settingPref.passwordPlace()) {
    case Setting::PasswordPlace::File:
        note = tr("Mot de passe stocké en clair");
        break;
    case Setting::PasswordPlace::Reading:
        note = tr("Lecture du mot de passe dans le trousseau…");
        break;
    case Setting::PasswordPlace::Saving:
        note = tr("Enregistrement du mot de passe dans le trousseau…");
        break;
    case Setting::PasswordPlace::NotKept:
        note = tr("Le trousseau n'a pas gardé le mot de passe : il ne vaut que "
                  "jusqu'à la fermeture de Kelvane");
        break;
    case Setting::PasswordPlace::Unread:
        note = tr("Le trousseau n'a pas donné le mot de passe");
        break;
    case Setting::PasswordPlace::None:
    case Setting::PasswordPlace::Keyring:
        break;
    }
    m_passwordNote->setText(note);
    m_passwordNote->setVisible(!note.isEmpty());
}

void Preferences::showWindow() {
    show();
    raise();
    activateWindow();
}

void Preferences::buttonHTTP() {
    m_serverHTTPField->setEnabled(!m_checkButtonHTTP->isChecked());
}
void Preferences::buttonPHP() {
    m_argsPHPField->setEnabled(m_checkButtonPHP->isChecked());
}

void Preferences::markLabel(QLabel *label, bool valid) {
    if (valid)
        label->setPalette(QPalette());
    else
        Style::setTextColor(label, Style::errorRed());
}

void Preferences::save() {
    m_host = m_serverField->text();
    m_port = m_portField->text();
    m_user = m_usernameField->text();
    m_pass = m_passwordField->text();
    m_hostHTTP = m_serverHTTPField->text();
    m_argsPHP = m_argsPHPField->text();

    quint32 port = 0;
    const bool validPort = Setting::parsePort(m_port, &port);
    if (validPort) m_settingPref.setPort(port);
    markLabel(m_labelPort, validPort);

    if (m_user.isEmpty())
        m_settingPref.unsetUser();
    else
        m_settingPref.setUser(m_user);
    // An untouched field leaves the password alone: saving again asks no keyring, and a
    // password still on its way from the keyring is not taken for a cleared one.
    if (m_pass != m_shownPass) {
        if (m_pass.isEmpty())
            m_settingPref.unsetPass();
        else
            m_settingPref.setPass(m_pass);
        m_shownPass = m_pass;
    }

    if (m_checkButtonHTTP->isChecked())
        m_settingPref.unsetHTTP();
    else if (!m_hostHTTP.isEmpty() && Setting::isValidIP(m_hostHTTP))
        m_settingPref.setHTTP(m_hostHTTP);
    else
        m_settingPref.unsetHTTP();

    if (m_checkButtonPHP->isChecked() && !m_argsPHP.isEmpty())
        m_settingPref.setPHP(m_argsPHP);
    else
        m_settingPref.unsetPHP();

    m_settingPref.setMPDCovers(m_checkButtonMPDCovers->isChecked());
    // Covers follow the new settings: a web server found dead gets another chance.
    CoverChain::sCoverChain().resetSession();
    showPasswordPlace();
    if (m_checkButtonNotify->isChecked() != m_settingPref.notifyTrackChange())
        m_settingPref.setNotifyTrackChange(m_checkButtonNotify->isChecked());
    // Only a change is written: an untouched "Automatique" leaves the key unset.
    const auto chosenLanguage = language::Choice(m_languageBox->currentIndex());
    if (chosenLanguage != language::storedChoice()) language::storeChoice(chosenLanguage);

    m_isValidPort = validPort;
    checkHost();
}

void Preferences::checkHost() {
    const int check = ++m_hostCheck;
    const QString host = m_host;
    if (Setting::isValidIP(host) || serveraddress::isSocketPath(host)) {
        hostChecked(check, Setting::isValidIP(host) || serveraddress::isExistingSocket(host));
        return;
    }
    if (!serveraddress::isHostName(host)) {
        hostChecked(check, false);
        return;
    }
    // The answer comes back to the GUI thread; a dialog closed meanwhile drops it.
    m_saveButton->setEnabled(false);
    QPointer<Preferences> self(this);
    lookups().start([self, check, host] {
        const bool found = serveraddress::resolves(host);
        postToMainThread([self, check, found] {
            if (self) self->hostChecked(check, found);
        });
    });
}

void Preferences::hostChecked(int check, bool valid) {
    if (check != m_hostCheck) return; // an older save's answer
    m_saveButton->setEnabled(true);
    markLabel(m_labelIP, valid);
    if (valid) m_settingPref.setHost(m_host);
    m_isValidIP = valid;
    m_checkedHosts++;
    if (valid && m_isValidPort) close();
}

void Preferences::cancel() {
    close();
}

} // namespace kelvane
