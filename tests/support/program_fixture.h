// A fresh program state in-process: a new headless graphics model, the 44
// globals created and the callable table registered, with no view.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/callback_table.h"
#include "app/global_state.h"
#include "app/program.h"
#include "host/graphics_host.h"

namespace velmora::testing {

// The message of the Error that `f` raises; empty when it raises none.
inline std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GraphicsHost::instance().reset();
        GlobalState::instance().create();
        CallbackTable::instance().registerRows();
        hg().setCallbackRunner(runCallback);
    }
    void TearDown() override {
        CallbackTable::instance().unregisterRows();
        GlobalState::instance().setDestroyHook(nullptr);
        GlobalState::instance().destroy();
        GraphicsHost::instance().reset();
    }
    // Runs `f` as a button callback would (hidden handles visible).
    template <typename F>
    void inCallback(F&& f) {
        GraphicsModel::CallbackScope scope(hg());
        f();
    }
};

}  // namespace velmora::testing
