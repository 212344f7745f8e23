#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace orvessa {

// File-system work of the Restore window on a thread of its own, one task at a time in the
// order given, so that a slow disk never freezes the window. A task hands its answers to
// the window's thread with Post. Cancel drops the waiting tasks, stops the one under way
// and drops whatever it has not delivered yet; Stop only stops it, and its answers still
// come.
class RestoreWorker : public QObject {
  Q_OBJECT
 public:
  using Task = std::function<void(std::stop_token)>;

  explicit RestoreWorker(QObject* parent = nullptr);
  ~RestoreWorker() override;  // cancels, and waits for the task under way

  void Add(Task task);
  void Cancel();
  void Stop();
  bool Busy() const { return pending_ > 0; }
  // From a task: `call` runs on the window's thread, unless the task was cancelled.
  void Post(std::function<void()> call);

 signals:
  void busyChanged(bool busy);

 private:
  struct Queued {
    int generation;
    Task task;
  };
  void Serve(std::stop_token stop);
  void Done();

  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::deque<Queued> queue_;
  std::stop_source current_stop_;
  int generation_ = 0;          // the window's thread's; raised by Cancel
  int serving_generation_ = 0;  // the worker's; of the task under way
  int pending_ = 0;             // tasks added and not done, on the window's thread
  std::jthread thread_;
};

}  // namespace orvessa
