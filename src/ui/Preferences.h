#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvane {

class Setting;

// The preferences window: server address and port, user name and password, and where
// covers come from. Saving checks the address (a numeric IPv4 or IPv6 address, a host name
// that resolves, looked up off the GUI thread, or an existing local socket) and the port
// (digits only, at most 65535) and turns a refused field's label red; every other value
// is stored all the same, and the window closes only when both are valid. Saving does
// not reconnect: the next "Connecter" uses the new server. GUI thread.
class Preferences : public QDialog {
    Q_OBJECT
  public:
    explicit Preferences(QWidget *parent = nullptr);

    void showWindow();

    QLineEdit *serverField() const { return m_serverField; }
    QLineEdit *portField() const { return m_portField; }
    QLineEdit *usernameField() const { return m_usernameField; }
    QLineEdit *passwordField() const { return m_passwordField; }
    QLabel *labelIP() const { return m_labelIP; }
    QLabel *labelPort() const { return m_labelPort; }
    QCheckBox *checkButtonHTTP() const { return m_checkButtonHTTP; }
    QLineEdit *serverHTTPField() const { return m_serverHTTPField; }
    QCheckBox *checkButtonPHP() const { return m_checkButtonPHP; }
    QCheckBox *checkButtonMPDCovers() const { return m_checkButtonMPDCovers; }
    QLineEdit *argsPHPField() const { return m_argsPHPField; }
    QCheckBox *checkButtonNotify() const { return m_checkButtonNotify; }
    // "Langue": Automatique, Français, English, in that order; applied at the next start.
    QComboBox *languageBox() const { return m_languageBox; }
    // Where the password is, when the user should know: "Mot de passe stocké en clair"
    // while it lies in the settings file, and the keyring's work and refusals.
    QLabel *passwordNote() const { return m_passwordNote; }

    bool isValidIP() const { return m_isValidIP; }
    bool isValidPort() const { return m_isValidPort; }
    // How many saves have had their address checked (name lookups end later).
    int checkedHosts() const { return m_checkedHosts; }

  public Q_SLOTS:
    void buttonHTTP();
    void buttonPHP();
    void save();
    void cancel();

  private:
    void build();
    void awakeFromNib();
    void markLabel(QLabel *label, bool valid);
    void checkHost();
    void hostChecked(int check, bool valid);
    void showPasswordPlace();

    Setting &m_settingPref;
    QString m_host, m_port, m_user, m_pass, m_hostHTTP, m_argsPHP;
    QString m_shownPass; // the password the field was given: saved again only when edited
    bool m_isValidIP = false;
    bool m_isValidPort = false;
    int m_hostCheck = 0;
    int m_checkedHosts = 0;
    QPushButton *m_saveButton = nullptr;

    QLineEdit *m_serverField;
    QLineEdit *m_portField;
    QLineEdit *m_usernameField;
    QLineEdit *m_passwordField;
    QLabel *m_labelIP;
    QLabel *m_labelPort;
    QCheckBox *m_checkButtonHTTP;
    QLineEdit *m_serverHTTPField;
    QCheckBox *m_checkButtonPHP;
    QCheckBox *m_checkButtonMPDCovers;
    QLineEdit *m_argsPHPField;
    QCheckBox *m_checkButtonNotify;
    QLabel *m_passwordNote;
    QComboBox *m_languageBox;
    QLabel *m_languageNote;
};

} // namespace kelvane
