#include "ui/measurer.hpp"

#include <QMetaObject>

namespace orvessa {

Measurer::Measurer(QObject* parent)
    : QObject(parent), worker_([this](std::stop_token stop) { Serve(stop); }) {}

Measurer::~Measurer() {
  CancelAll();
  worker_.request_stop();
  wake_.notify_all();
  worker_.join();
}

int Measurer::Measure(Work work, Done done) {
  const int id = next_id_++;
  done_[id] = std::move(done);
  if (pending_++ == 0) emit busyChanged(true);
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back({id, std::move(work), {}});
  }
  wake_.notify_all();
  return id;
}

void Measurer::Cancel(int id) {
  if (done_.erase(id) == 0) return;
  {
    const std::lock_guard lock(mutex_);
    if (current_ == id) current_stop_.request_stop();
    std::erase_if(queue_, [id](const Task& task) { return task.id == id; });
  }
  if (--pending_ == 0) emit busyChanged(false);
}

void Measurer::CancelAll() {
  std::vector<int> ids;
  for (const auto& [id, done] : done_) ids.push_back(id);
  for (int id : ids) Cancel(id);
}

void Measurer::Serve(std::stop_token stop) {
  for (;;) {
    Task task;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [this] { return !queue_.empty(); })) return;
      task = std::move(queue_.front());
      queue_.pop_front();
      current_ = task.id;
      current_stop_ = task.stop;
    }
    const double value = task.work(task.stop.get_token());
    {
      const std::lock_guard lock(mutex_);
      current_ = 0;
    }
    QMetaObject::invokeMethod(
        this, [this, id = task.id, value] { Answered(id, value); }, Qt::QueuedConnection);
  }
}

void Measurer::Answered(int id, double value) {
  auto found = done_.find(id);
  if (found == done_.end()) return;  // called off meanwhile
  Done done = std::move(found->second);
  done_.erase(found);
  if (--pending_ == 0) emit busyChanged(false);
  done(value);
}

}  // namespace orvessa
