#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace kelvane {

// The notice the radio grid shows after saving a stream: a title and a message on a
// small rounded panel centred over the main window, with no button, that closes
// itself after 2 seconds. It takes no focus and blocks nothing meanwhile. GUI thread.
class RadioNotice : public QWidget {
    Q_OBJECT
  public:
    static constexpr int lifetimeMs = 2000;

    // Shows a notice over MPDCache's main window, or over fallback when there is none;
    // it deletes itself when it closes.
    static RadioNotice *toast(QWidget *fallback, const QString &title, const QString &message);

    QString title() const;
    QString message() const;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    RadioNotice(QWidget *parent, const QString &title, const QString &message);

    QLabel *m_title;
    QLabel *m_message;
};

} // namespace kelvane
