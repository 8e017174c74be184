#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "tests/x11/XvfbSession.h"

namespace brevanor::testing {

// A fixture whose test suite shares one private Xvfb, started with `options`
// before its first test and ended after its last. Each test is skipped, saying
// why, where Xvfb cannot run: a fixture's own SetUp() calls this one first and
// returns when the test was skipped. Each test gets a connection of its own.
template <XvfbSession::Options options = XvfbSession::Options{}>
class BasicXvfbSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { session_ = new XvfbSession(options); }
    static void TearDownTestSuite() {
        delete session_;
        session_ = nullptr;
    }
    void SetUp() override {
        if (!session_->isRunning()) GTEST_SKIP() << session_->failure();
        display_ = XOpenDisplay(session_->displayName().c_str());
        ASSERT_NE(display_, nullptr);
    }
    ~BasicXvfbSuite() override {
        if (display_) XCloseDisplay(display_);
    }

    inline static XvfbSession* session_ = nullptr;
    Display* display_ = nullptr;  // the test's own client, closed after the fixture's other members are gone
};

// Classes rather than aliases, so that a fixture calls its base's SetUp() by this name.
class XvfbSuite : public BasicXvfbSuite<> {};
class XvfbSuiteWithWindowManager : public BasicXvfbSuite<XvfbSession::Options{.windowManager = true}> {};

}  // namespace brevanor::testing
