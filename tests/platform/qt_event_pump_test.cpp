#include "platform/linux/qt_event_pump.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <ctime>
#include <memory>
#include <thread>

namespace orvessa {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

std::chrono::milliseconds CpuSince(std::clock_t start) {
  return std::chrono::milliseconds((std::clock() - start) * 1000 / CLOCKS_PER_SEC);
}

// Runs first, while the process has no QCoreApplication yet.
TEST(QtEventPumpWithoutApplication, SleepsForTheWholeWait) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  QtEventPump pump;
  const Clock::time_point start = pump.MonotonicNow();
  pump.ProcessEvents(150ms);
  EXPECT_GE(pump.MonotonicNow() - start, 150ms);
  EXPECT_LT(Since(start), 2s);
}

class QtEventPumpWithApplication : public ::testing::Test {
 protected:
  // A new application has start-up events pending, which would end the first wait early.
  void SetUp() override { QCoreApplication::processEvents(); }

  int argc_ = 1;
  char name_[16] = "event_pump_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_ = std::make_unique<QCoreApplication>(argc_, argv_);
  QtEventPump pump_;
};

TEST_F(QtEventPumpWithApplication, IdleWaitLastsMaxWaitWithoutSpinningAPendingEventNone) {
  Clock::time_point start = Clock::now();
  const std::clock_t cpu_start = std::clock();
  pump_.ProcessEvents(200ms);
  EXPECT_GE(Since(start), 190ms);
  EXPECT_LT(Since(start), 2s);
  EXPECT_LT(CpuSince(cpu_start), 50ms);

  bool delivered = false;
  QTimer::singleShot(0, app_.get(), [&] { delivered = true; });
  start = Clock::now();
  pump_.ProcessEvents(5s);
  EXPECT_TRUE(delivered);
  EXPECT_LT(Since(start), 1s);
}

TEST_F(QtEventPumpWithApplication, EventArrivingDuringTheWaitEndsIt) {
  std::atomic<bool> delivered = false;
  std::thread poster([&] {
    std::this_thread::sleep_for(100ms);
    QMetaObject::invokeMethod(
        app_.get(), [&] { delivered = true; }, Qt::QueuedConnection);
  });
  const Clock::time_point start = Clock::now();
  const std::clock_t cpu_start = std::clock();
  pump_.ProcessEvents(5s);
  poster.join();
  EXPECT_TRUE(delivered);
  EXPECT_GE(Since(start), 90ms);
  EXPECT_LT(Since(start), 2s);
  EXPECT_LT(CpuSince(cpu_start), 50ms);
}

}  // namespace
}  // namespace orvessa
