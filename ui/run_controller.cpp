#include "ui/run_controller.hpp"

#include <QMetaObject>
#include <QPointer>

namespace orvessa {

// The run's events, passed to the window's thread. Lines and notices are queued in
// order; progress only keeps its latest state, which a timer shows.
class RunController::Events : public RunEvents {
 public:
  explicit Events(RunController& owner) : owner_(owner) {}

  void Measured(double free_bytes, const std::string& drive) override {
    Post([free_bytes, drive = QString::fromStdString(drive)](RunController& c) {
      emit c.measured(free_bytes, drive);
    });
  }
  void Copying(int entries) override {
    Post([entries](RunController& c) { emit c.copying(entries); });
  }
  void Entry(int index, const std::string& text) override {
    Post([index, text = QString::fromStdString(text)](RunController& c) {
      emit c.entry(index, text);
    });
  }
  void Line(const std::string& text) override {
    Post([text = QString::fromStdString(text)](RunController& c) { emit c.line(text); });
  }
  void Progress(const RunProgress& progress) override {
    // At most ten a second; the last one is shown when the run ends.
    const auto now = std::chrono::steady_clock::now();
    if (now - last_progress_ < std::chrono::milliseconds(100)) {
      const std::lock_guard lock(owner_.progress_mutex_);
      owner_.latest_progress_ = progress;
      return;
    }
    last_progress_ = now;
    {
      const std::lock_guard lock(owner_.progress_mutex_);
      owner_.latest_progress_.reset();
    }
    Post([progress](RunController& c) { emit c.progress(progress); });
  }
  void Notice(int text, MessageIcon icon) override {
    Post([text, icon](RunController& c) { emit c.notice(text, static_cast<int>(icon)); });
  }

  template <typename Call>
  void Post(Call call) {
    QMetaObject::invokeMethod(
        &owner_, [owner = &owner_, call = std::move(call)]() mutable { call(*owner); },
        Qt::QueuedConnection);
  }

 private:
  RunController& owner_;
  std::chrono::steady_clock::time_point last_progress_{};
};

RunController::RunController(RunServices services, QObject* parent)
    : QObject(parent), services_(services) {
  qRegisterMetaType<RunProgress>();
}

RunController::~RunController() {
  stop_.request_stop();
  if (worker_.joinable()) worker_.join();
}

bool RunController::Start(const BackupJob& job, RunSettings settings) {
  if (running_) return false;
  if (worker_.joinable()) worker_.join();  // the last one has already finished
  running_ = true;
  stop_ = std::stop_source();
  events_ = std::make_unique<Events>(*this);
  {
    const std::lock_guard lock(progress_mutex_);
    latest_progress_.reset();
  }
  worker_ = std::jthread([this, job, settings = std::move(settings), stop = stop_.get_token()] {
    BackupRun run(services_, *events_, settings, job);
    RunResult result = run.Run(stop);
    events_->Post(
        [result = std::move(result)](RunController& c) mutable { c.Finish(std::move(result)); });
  });
  return true;
}

void RunController::Stop() {
  if (running_) stop_.request_stop();
}

void RunController::ShowLatestProgress() {
  std::optional<RunProgress> latest;
  {
    const std::lock_guard lock(progress_mutex_);
    latest.swap(latest_progress_);
  }
  if (latest) emit progress(*latest);
}

void RunController::Finish(RunResult result) {
  ShowLatestProgress();
  result_ = std::move(result);
  running_ = false;
  emit finished();
}

}  // namespace orvessa
