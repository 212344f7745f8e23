// orvessa: the backup tool's window.
#include <QApplication>

#include "app/application.hpp"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  orvessa::Application application(qt);
  return application.Run();
}
