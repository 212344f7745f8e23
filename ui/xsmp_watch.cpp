#include "ui/xsmp_watch.hpp"

#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>

namespace orvessa {

XsmpWatch::XsmpWatch() {
  connect(qApp, &QGuiApplication::commitDataRequest, this, &XsmpWatch::CommitDataRequest,
          Qt::DirectConnection);
}

bool XsmpWatch::Connected() {
  return !qEnvironmentVariableIsEmpty("SESSION_MANAGER") && !qApp->sessionId().isEmpty();
}

void XsmpWatch::CommitDataRequest(QSessionManager& manager) {
  if (!armed_ || !manager.allowsInteraction()) return;
  // Qt ends the interaction itself, telling the manager the end is called off; releasing
  // it here would tell it the opposite first.
  manager.cancel();
  // The manager hears the answer when this handler returns; the question comes after.
  QTimer::singleShot(0, this, [this] { emit EndRequested(); });
}

}  // namespace orvessa
