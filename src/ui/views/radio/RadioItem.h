#pragma once

#include "core/radio/Radio.h"

#include <QWidget>

class QLabel;

namespace kelvane {

class ImageTarget;
class RadioOverCover;

// One cell of the radio grid: a directory item ("name", "subtext", "url", "logo",
// "isLink"). Audio entries show their logo (or "no_cover"), name and description, and
// offer play and add-to-streams on hover; links and error entries show a folder that
// opens on a double click. GUI thread; resolution runs on the worker pool.
class RadioItem : public QWidget {
    Q_OBJECT
  public:
    static constexpr QSize itemSize{156, 200};
    static constexpr QSize logoSize{120, 120};

    explicit RadioItem(QWidget *parent = nullptr);

    void setRepresentedObject(const DirectoryItem &item);
    DirectoryItem representedObject() const { return m_item; }
    bool isLink() const;

    QLabel *logoRadio() const { return m_logoRadio; }
    QLabel *labelRadio() const { return m_labelRadio; }
    QLabel *subTextRadio() const { return m_subTextRadio; }
    RadioOverCover *playMask() const { return m_playMask; }
    ImageTarget *logoTarget() const { return m_logo; }

    QSize sizeHint() const override { return itemSize; }

  public Q_SLOTS:
    // Resolve the entry's address, then play it / save it as a stream; an address that
    // resolves to nothing playable does nothing, silently.
    void clickPlay();
    void addToStream();
    // One click on the folder; the second click of a double click opens it.
    void clickFolder();
    // The keyboard's way in, without the double click a folder wants from the mouse:
    // a folder opens, a station plays.
    void activate();

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    // Enter and Space activate; the arrows go to the neighbouring items.
    void keyPressEvent(QKeyEvent *event) override;
    // A station's actions ("Écouter", "Ajouter aux streams") from the Menu key too.
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

  private:
    void showLogo(const QImage &image);
    void openFolder();

    DirectoryItem m_item;
    QWidget *m_logoBox;
    QLabel *m_logoRadio;
    QLabel *m_labelRadio;
    QLabel *m_subTextRadio;
    RadioOverCover *m_playMask;
    ImageTarget *m_logo;
};

} // namespace kelvane
