#pragma once

#include <memory>
#include <string>

class QApplication;
class QString;

namespace orvessa {

class Form2;

// The one place that builds the program's host services and its window, once, and
// connects them; the programs' main functions only create it and run it.
class Application {
 public:
  // start_folder: where the source browser opens (the home folder when empty).
  explicit Application(QApplication& qt, const std::string& start_folder = {});
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  Form2& Window();
  // Brings the window up for a later start of the program, with that start's token.
  void ShowWindow(const QString& activation_token);
  // Shows the window and runs until it closes; the exit status.
  int Run();

 private:
  struct Services;
  std::unique_ptr<Services> services_;
  std::unique_ptr<Form2> window_;
};

}  // namespace orvessa
