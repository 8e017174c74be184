#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace brevanor {

// Turns SIGTERM and SIGINT into a Qt signal on the main thread, so that a
// plain `kill` or Ctrl+C quits through the normal path (and the coordinator's
// shutdown) instead of leaving keys held. The handler only writes a byte to a
// pipe; the event loop reads it. One instance per process.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts the previous handlers back.
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void drain();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace brevanor
