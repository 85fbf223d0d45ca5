#pragma once

#include <QMainWindow>

class QLabel;
class QPushButton;
class QSplitter;
class QVBoxLayout;

namespace kelvane {

class NowPlayingBar;
class SideBar;

// The one main window: the sidebar on the left, the content area on the right with its
// title line and the add-stream button, the now-playing bar along the bottom. Only the
// layout lives here; MainActivity fills and drives it. GUI thread.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget *parent = nullptr);

    SideBar *sideBar() const { return m_sideBar; }
    QWidget *sideBarView() const { return m_sideBarView; }
    QWidget *masterView() const { return m_masterView; }
    QPushButton *addRadio() const { return m_addRadio; }
    QLabel *contentTitle() const { return m_contentTitle; }
    NowPlayingBar *bar() const { return m_bar; }
    QSplitter *splitter() const { return m_splitter; }

    // Puts view into the content area, filling it and resizing with it.
    void setContentView(QWidget *view);

  protected:
    bool event(QEvent *event) override;

  private:
    void applyPalette();

    SideBar *m_sideBar;
    QWidget *m_sideBarView;
    QWidget *m_contentPane;
    QWidget *m_masterView;
    QVBoxLayout *m_masterLayout;
    QPushButton *m_addRadio;
    QLabel *m_contentTitle;
    NowPlayingBar *m_bar;
    QSplitter *m_splitter;
};

} // namespace kelvane
