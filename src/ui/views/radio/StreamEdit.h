#pragma once

#include "core/streams/Stream.h"

#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvane {

// The small window that adds a saved stream or edits one: a name field and an address
// field. Each window keeps its own mode: add when made without a stream, edit when
// made with one. GUI thread.
//
// For the main window's add-stream button and its "ajouterRadio" action:
//     StreamEdit::openForAdd(mainWindow);
// opens an add window (a top-level window above the others, deleted when closed).
//
// Saving checks the input (an address longer than 7 characters beginning with "http",
// a name that is not empty, no control character in either; otherwise the matching
// label turns red and nothing is written), stores "address#name" in the server's "[Radio Streams]"
// playlist and asks MPDCache for streamUpdateTrigger so that the stream view reloads. Every close
// (save, cancel, the window's close button) and every refused save post "editStreamBoxClose" on the
// notification hub.
class StreamEdit : public QWidget {
    Q_OBJECT
  public:
    // Add mode.
    explicit StreamEdit(QWidget *parent = nullptr);
    // Edit mode for stream, whose position is the one read with the list.
    explicit StreamEdit(const Stream &stream, QWidget *parent = nullptr);

    // Opens, shows and raises an add window; it deletes itself when closed.
    static StreamEdit *openForAdd(QWidget *parent);

    // Shows the window centred over its parent's window, in front, with the keyboard.
    void showWindow();

    bool isAddMode() const { return !m_streamToEdit.has_value(); }
    std::optional<Stream> streamToEdit() const { return m_streamToEdit; }

    QLineEdit *nameField() const { return m_nameField; }
    QLineEdit *urlField() const { return m_urlField; }
    QLabel *labelName() const { return m_labelName; }
    QLabel *labelURL() const { return m_labelURL; }

    static QColor errorColour();

  public Q_SLOTS:
    void save();
    void cancel();

  protected:
    void closeEvent(QCloseEvent *event) override;
    // Escape cancels, as in any dialog.
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void build();
    void writeEdit(const QString &entry);
    static void setLabelError(QLabel *label, bool error, bool controlCharacters);
    static void boxClosed();

    std::optional<Stream> m_streamToEdit;
    QLineEdit *m_nameField = nullptr;
    QLineEdit *m_urlField = nullptr;
    QLabel *m_labelName = nullptr;
    QLabel *m_labelURL = nullptr;
};

} // namespace kelvane
