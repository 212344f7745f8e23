#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

namespace orvessa::testing {

// A QCoreApplication for the whole test program, as Qt's event loop and D-Bus need one.
class QtCoreEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[8] = "orvessa";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};

}  // namespace orvessa::testing
