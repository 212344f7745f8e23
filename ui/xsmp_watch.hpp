#pragma once

#include <QObject>

class QSessionManager;

namespace orvessa {

// The X session manager's request to save before the session ends. Qt's API cannot tell
// an end from a checkpoint, but it asks for data to be committed only at the end, so a
// request that allows interaction is taken for the session ending: while armed it is
// called off and EndRequested follows, once the manager has had its answer.
class XsmpWatch : public QObject {
  Q_OBJECT
 public:
  XsmpWatch();
  // The program is registered with an X session manager.
  static bool Connected();
  void SetArmed(bool armed) { armed_ = armed; }

 signals:
  void EndRequested();

 private:
  void CommitDataRequest(QSessionManager& manager);
  bool armed_ = false;
};

}  // namespace orvessa
