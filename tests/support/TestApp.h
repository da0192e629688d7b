#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

namespace testing_support {

// Holds the test program's one widget application and ends it when the tests
// are over, before the toolkit's own globals go away at exit.
class ApplicationEnvironment final : public ::testing::Environment {
public:
    void start() {
        if (app_) return;
        qputenv("QT_QPA_PLATFORM", std::getenv("DISPLAY") != nullptr ? "xcb" : "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[14] = "test_platform";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

// One widget application for the whole test program: on the real X server
// when there is one, off screen otherwise.
inline void ensureApplication() {
    static ApplicationEnvironment* const environment = [] {
        auto owned = std::make_unique<ApplicationEnvironment>();
        ApplicationEnvironment* kept = owned.get();
        ::testing::AddGlobalTestEnvironment(owned.release());  // the test runner owns it
        return kept;
    }();
    environment->start();
}

}  // namespace testing_support
