#pragma once
// Qt's serial port needs an application object for its notifiers: GoogleTest binaries that
// open a real port register this environment once.

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace varnu::testing {

class QtCoreEnvironment : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "varnu_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};

} // namespace varnu::testing
