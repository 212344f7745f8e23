#include "ui/restore_worker.hpp"

#include <QMetaObject>

namespace orvessa {

RestoreWorker::RestoreWorker(QObject* parent)
    : QObject(parent), thread_([this](std::stop_token stop) { Serve(stop); }) {}

RestoreWorker::~RestoreWorker() {
  Cancel();
  thread_.request_stop();
  wake_.notify_all();
  thread_.join();
}

void RestoreWorker::Add(Task task) {
  if (pending_++ == 0) emit busyChanged(true);
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back({generation_, std::move(task)});
  }
  wake_.notify_all();
}

void RestoreWorker::Cancel() {
  std::size_t dropped = 0;
  {
    const std::lock_guard lock(mutex_);
    ++generation_;
    dropped = queue_.size();
    queue_.clear();
    current_stop_.request_stop();
  }
  pending_ -= static_cast<int>(dropped);
  if (dropped > 0 && pending_ == 0) emit busyChanged(false);
}

void RestoreWorker::Stop() {
  const std::lock_guard lock(mutex_);
  current_stop_.request_stop();
}

void RestoreWorker::Post(std::function<void()> call) {
  QMetaObject::invokeMethod(
      this,
      [this, generation = serving_generation_, call = std::move(call)] {
        if (generation == generation_) call();
      },
      Qt::QueuedConnection);
}

void RestoreWorker::Serve(std::stop_token stop) {
  for (;;) {
    Queued next;
    std::stop_token task_stop;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [this] { return !queue_.empty(); })) return;
      next = std::move(queue_.front());
      queue_.pop_front();
      current_stop_ = std::stop_source();
      task_stop = current_stop_.get_token();
      serving_generation_ = next.generation;
    }
    next.task(task_stop);
    QMetaObject::invokeMethod(
        this, [this] { Done(); }, Qt::QueuedConnection);
  }
}

void RestoreWorker::Done() {
  if (--pending_ == 0) emit busyChanged(false);
}

}  // namespace orvessa
