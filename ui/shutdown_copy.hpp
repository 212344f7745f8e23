#pragma once

#include <QObject>
#include <QWidget>
#include <chrono>
#include <string>

#include "core/backup_job.hpp"
#include "ui/copy_tab.hpp"
#include "ui/shell_host.hpp"
#include "ui/tray_presence.hpp"

namespace orvessa {

// The copy when the session ends. No dialog is watched for on this host: the session's
// channels call its end off while armed and then hand over here.
class ShutdownCopy : public QObject {
  Q_OBJECT
 public:
  ShutdownCopy(ShellHost& host, TrayPresence& presence, CopyTab& copy, const BackupJob& job,
               std::chrono::milliseconds after_run_pause, QWidget& window);

  // Armed: the session's end is to be called off and asked about.
  bool Armed() const;
  // Tells the session channels when the armed state has changed.
  void UpdateArming();
  // How the session announces its end ("none": it does not, and the option says so).
  void SetChannel(const std::string& channel);
  void ApplyChannel();
  // The session's request to end has been called off while armed: the user is asked,
  // then the copy runs and, when it succeeded, the computer is powered off.
  void SessionEndRequested();
  // A run has ended: a request that came while it copied is asked about now.
  void RunEnded();

 signals:
  void ArmedChanged(bool armed);

 private:
  // The user's answer and what follows it, once the session's end was called off.
  void CopyAtShutdown();

  ShellHost& host_;
  TrayPresence& presence_;
  CopyTab& copy_;
  const BackupJob& job_;
  std::chrono::milliseconds after_run_pause_;
  QWidget& window_;
  bool armed_shown_ = false;         // what the session channels were last told
  bool shutdown_channel_ = true;     // the session announces its end in some way
  bool shutdown_flow_ = false;       // the question or its copy is under way
  bool shutdown_after_run_ = false;  // asked while a run was copying
};

}  // namespace orvessa
