#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "core/backup_run.hpp"

namespace orvessa {

// Runs one backup at a time on a thread of its own and hands what it tells to the
// window's thread as queued signals, its progress at most ten times a second. The window
// never waits for the run: a stalling disk holds up only the run's thread.
class RunController : public QObject {
  Q_OBJECT
 public:
  explicit RunController(RunServices services, QObject* parent = nullptr);
  ~RunController() override;  // a run in progress is stopped and waited for

  // Starts a run of `job` as it is now; false while another run is in progress.
  bool Start(const BackupJob& job, RunSettings settings);
  bool Running() const { return running_; }
  // The run stops at its next chunk or wait and ends as an error end.
  void Stop();
  bool StopRequested() const { return running_ && stop_.stop_requested(); }
  // How the last run ended, once finished() was sent.
  const RunResult& Result() const { return result_; }

 signals:
  void measured(double free_bytes, const QString& destination_drive);
  void copying(int entries);
  void entry(int index, const QString& text);
  void line(const QString& text);
  void progress(const orvessa::RunProgress& progress);
  void notice(int text, int icon);
  void finished();

 private:
  class Events;
  void ShowLatestProgress();
  void Finish(RunResult result);

  RunServices services_;
  bool running_ = false;
  std::stop_source stop_;
  std::unique_ptr<Events> events_;
  std::jthread worker_;
  RunResult result_;
  std::mutex progress_mutex_;
  std::optional<RunProgress> latest_progress_;  // held back, shown at the end
};

}  // namespace orvessa

Q_DECLARE_METATYPE(orvessa::RunProgress)
