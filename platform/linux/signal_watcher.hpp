#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <initializer_list>
#include <memory>
#include <vector>

namespace orvessa {

// Turns the signals that ask the program to end (SIGTERM, SIGINT, SIGHUP) into a Qt
// signal delivered by the event loop, so that the program can end in order. One watcher
// per process; the handlers only write the signal's number to a pipe.
class SignalWatcher : public QObject {
  Q_OBJECT
 public:
  explicit SignalWatcher(std::initializer_list<int> signals_watched, QObject* parent = nullptr);
  ~SignalWatcher() override;
  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

  // Whether the handlers are in place (a second watcher, or no pipe, leaves them out).
  bool Installed() const { return notifier_ != nullptr; }

 signals:
  void Received(int signal_number);

 private:
  void Drain();

  std::unique_ptr<QSocketNotifier> notifier_;
  std::vector<int> watched_;
};

}  // namespace orvessa
