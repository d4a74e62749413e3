// Shared by the fuzz targets: how a finding is reported, and a fresh
// in-process program state on a view that shows nothing.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "app/callback_table.h"
#include "app/functions.h"
#include "app/global_state.h"
#include "app/program.h"
#include "host/graphics_host.h"

namespace velmora::fuzz {

// A broken invariant: printed, then abort() so libFuzzer keeps the input.
[[noreturn]] inline void fail(const std::string& what) {
    std::fprintf(stderr, "INVARIANT BROKEN: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void check(bool ok, const std::string& what) {
    if (!ok) fail(what);
}

// Error windows and messages are the program's normal answer to bad input;
// at tens of thousands of inputs a second they must not reach a terminal.
class QuietView : public HostView {
  public:
    void initialize(int&, char**) override {}
    void run() override {}
};

// The console text (credits, layout warnings) goes nowhere.
inline void muteConsole() {
    std::cout.setstate(std::ios::badbit);
}

// Tears down whatever program state there is and starts a new one, as
// runProgram does, up to the welcome window.
inline void freshProgram() {
    auto& globals = GlobalState::instance();
    auto& table = CallbackTable::instance();
    if (table.registered()) table.unregisterRows();
    if (globals.created()) globals.destroy();
    auto& host = GraphicsHost::instance();
    host.reset();
    host.setView(std::make_unique<QuietView>());
    globals.create();
    table.registerRows();
    hg().setCallbackRunner(runCallback);
    velmora_gui();
}

// Where scratch files go: memory when there is a /dev/shm, as each input
// is written to a file.
inline std::string scratchRoot() {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
    return std::filesystem::temp_directory_path().string();
}

inline void useBuildData() {
    setenv("VELMORA_DATA", VELMORA_BUILD_DATA, 1);
}

}  // namespace velmora::fuzz
