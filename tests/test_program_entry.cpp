// Start-up and shut-down of the built programs, as a user starts them.
#include <gtest/gtest.h>

#include "support/script_runner.h"

namespace velmora {
namespace {

using namespace velmora::testing;

// "-platform offscreen" belongs to the window system and is removed by it;
// the word after it is left for the program, which refuses it.
TEST(ProgramEntry, AWordLeftOnTheCommandLineShowsNothingAndFails) {
    for (const auto& args : {std::vector<std::string>{"extra-word"},
                             std::vector<std::string>{"-platform", "offscreen", "again"}}) {
        const auto r = runProcess(builtProgram("velmora"), args, "", {"QT_QPA_PLATFORM=offscreen"});
        EXPECT_EQ(r.status, 2) << args.back();
        // The window system may add its own notes on stderr; the program's
        // line is there exactly once.
        const std::string message =
            "Run-time Error: File: velmora_gui Line: 1 Column: 0 The function \"velmora_gui\" "
            "was called with more than the declared number of inputs (0)\n";
        const auto at = r.err.find(message);
        EXPECT_NE(at, std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(message, at + 1), std::string::npos);
        EXPECT_EQ(r.out, "");  // no credits
    }
}

// A command's error ends only that command.
TEST(ProgramEntry, ScriptSessionPrintsTheCreditsAndEndsCleanly) {
    const auto r = runScript(
        "frobnicate\neval velmora_gui01(1, 2)\neval velmora_gui01(1)(\nset RECORD abc\nset RECORD "
        "[3 4]\ndump\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = r.outLines();
    ASSERT_GE(lines.size(), 14u);
    EXPECT_EQ(lines[0], "VELMORA");
    EXPECT_EQ(lines[1], "A Brevanto Program");
    EXPECT_EQ(lines[2], "Version as of January, 2001");
    EXPECT_EQ(lines[5], " ");
    EXPECT_EQ(lines[11], "Closing this window will terminate the program.");
    EXPECT_EQ(lines[12], std::string(51, '-'));
    EXPECT_EQ(lines[13], " ");
    for (int i : {3, 4, 6, 8, 9})
        EXPECT_NE(lines[static_cast<std::size_t>(i)].find_first_not_of(' '), std::string::npos);
    EXPECT_EQ(r.lastDump().at("globals").size(), 44u);
    // The globals come in creation order.
    const std::string dumpLine = lines.back();
    std::size_t last = 0;
    for (const char* name : {"\"DAMP\"", "\"EQ\"", "\"EQ_1\"", "\"RECORD\"", "\"damp\"",
                             "\"option\"", "\"damplabel\"", "\"TIME\""}) {
        const std::size_t at = dumpLine.find(name);
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(at, last) << name;
        last = at;
    }
    ASSERT_EQ(r.errors.size(), 4u) << r.out;
    EXPECT_NE(r.errors[0].find("Unknown command"), std::string::npos);
    // errors[1] and [2] are the callbacks' own messages (CallbackTable tests).
    EXPECT_NE(r.errors[3].find("not a number"), std::string::npos);
    EXPECT_EQ(numbers(global(r.lastDump(), "RECORD")), (std::vector<std::vector<double>>{{3, 4}}));
}

}  // namespace
}  // namespace velmora
