#pragma once

#include <QObject>
#include <QString>
#include <thread>

namespace kelvane {

// Reads stdin line by line on its own thread (stdin may be a pipe, a terminal or a
// plain file, which no event notifier handles alike) and hands each line to the GUI
// thread. End of input only ends the reader; stop() wakes and joins it.
class StdinReader : public QObject {
    Q_OBJECT
  public:
    explicit StdinReader(QObject *parent = nullptr);
    ~StdinReader() override;
    void start();
    void stop();

  Q_SIGNALS:
    void lineRead(const QString &line);

  private:
    void run();
    std::thread m_thread;
    int m_wake[2] = {-1, -1};
};

} // namespace kelvane
