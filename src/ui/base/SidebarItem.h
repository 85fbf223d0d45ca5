#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace kelvane {

// One row of the sidebar: an icon, a title and a small button pinned to the right edge
// (the album count badge). While the button shows, the title gives way to it. GUI thread.
class SidebarItem : public QWidget {
    Q_OBJECT
  public:
    explicit SidebarItem(QWidget *parent = nullptr);

    QLabel *imageView() const { return m_imageView; }
    QLabel *textField() const { return m_textField; }
    QToolButton *button() const { return m_button; }

    void setIcon(const QIcon &icon);
    void setText(const QString &text);
    // Shows the badge with this text; a null text hides it.
    void setBadge(const QString &text);
    // Draws the title in the highlighted text colour while the row is selected.
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    // Sizes the button to its title, sets it flush against the right edge and gives the
    // title the width that remains; a hidden button leaves the layout as it is.
    void viewWillDraw();

    static constexpr int iconSize = 18;

  protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

  private:
    void baseLayout();
    void applyColours();

    QLabel *m_imageView;
    QLabel *m_textField;
    QToolButton *m_button;
    QIcon m_icon;
    bool m_selected = false;
};

} // namespace kelvane
