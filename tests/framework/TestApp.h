#pragma once
// A headless application for one test, with the main thread's queue drained before and
// after (a quit request left over from one test must not end the next one's loop).

#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/HeadlessRenderer.h"
#include "platform/Messages.h"

namespace testing_support {

inline void DrainQueue() {
    platform::Msg msg;
    while (platform::PeekMessage(msg, true)) {
    }
}

class HeadlessAppTest : public ::testing::Test {
  protected:
    HeadlessAppTest() {
        DrainQueue();
        app.SetTitle("Tovanek");
    }
    ~HeadlessAppTest() override { DrainQueue(); }

    framework::HeadlessRenderer renderer;
    framework::TApplication app{renderer};
};

}  // namespace testing_support
