#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <stop_token>
#include <thread>

namespace orvessa {

// Measures (folder sizes, free space) on a thread of its own, one at a time in the order
// asked, so that a slow network folder never freezes the window. Each answer reaches the
// window's thread; a measure called off never answers.
class Measurer : public QObject {
  Q_OBJECT
 public:
  using Work = std::function<double(std::stop_token)>;
  using Done = std::function<void(double)>;

  explicit Measurer(QObject* parent = nullptr);
  ~Measurer() override;  // calls every measure off and waits for the one under way

  // Returns the measure's number, for calling it off.
  int Measure(Work work, Done done);
  void Cancel(int id);
  void CancelAll();
  bool Busy() const { return pending_ > 0; }

 signals:
  void busyChanged(bool busy);

 private:
  struct Task {
    int id;
    Work work;
    std::stop_source stop;
  };
  void Serve(std::stop_token stop);
  void Answered(int id, double value);

  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::deque<Task> queue_;
  int current_ = 0;  // the task under way, 0 for none
  std::stop_source current_stop_;
  std::map<int, Done> done_;  // on the window's thread
  int next_id_ = 1;
  int pending_ = 0;
  std::jthread worker_;
};

}  // namespace orvessa
