// The callable table: its rows, the count checks with their messages, and
// the evaluation of callback strings.
#include <gtest/gtest.h>

#include <tuple>

#include "app/callback_table.h"
#include "support/program_fixture.h"

namespace velmora {
namespace {

using testing::errorOf;
using testing::ProgramTest;

std::string countMessage(const std::string& name, const std::string& kind, int n) {
    return "Run-time Error: File: " + name + " Line: 1 Column: 0 The function \"" + name +
           "\" was called with more than the declared number of " + kind + " (" +
           std::to_string(n) + ")";
}

TEST_F(ProgramTest, TableHasTwentyRowsInOrderWithTheirCounts) {
    using Row = std::tuple<std::string, int, int>;  // name, inputs, outputs
    std::vector<Row> rows;
    for (const auto& row : CallbackTable::instance().rows()) {
        rows.emplace_back(row.name, row.declaredInputs, row.declaredOutputs);
    }
    EXPECT_EQ(rows, (std::vector<Row>{{"ylabel", -2, 1},          {"xlabel", -2, 1},
                                      {"title", -2, 1},           {"grid", 1, 0},
                                      {"waitbar", 2, 1},          {"velmora_gui08", 1, 0},
                                      {"velmora_gui07", 1, 0},    {"velmora_gui06wait", 0, 1},
                                      {"velmora_gui05set", 0, 0}, {"velmora_gui06", 1, 0},
                                      {"velmora_gui04set", 0, 0}, {"velmora_gui_error", 1, 0},
                                      {"velmora_gui05", 1, 0},    {"velmora_gui03set", 0, 0},
                                      {"velmora_gui04", 1, 0},    {"velmora_gui02set", 0, 0},
                                      {"velmora_gui03", 1, 0},    {"velmora_gui02", 1, 0},
                                      {"velmora_gui01", 1, 0},    {"velmora_gui", 0, 0}}));
}

// The outputs check comes first (the last case). velmora_gui with a word
// left on the command line: ProgramEntry.
TEST_F(ProgramTest, CountChecksRaiseTheirMessagesAndRunNothing) {
    const Value one = Value::scalar(1), on = Value::text("on");
    struct Case {
        const char* name;
        int outputs;
        std::vector<Value> inputs;
        const char* kind;
        int declared;
    };
    const Case cases[] = {{"velmora_gui01", 0, {one, one}, "inputs", 1},
                          {"velmora_gui02", 1, {Value::scalar(0)}, "outputs", 0},
                          {"waitbar", 0, {one, one, one}, "inputs", 2},
                          {"grid", 0, {on, one}, "inputs", 1},
                          {"title", 2, {Value::text("t")}, "outputs", 1},
                          {"velmora_gui01", 1, {one, one}, "outputs", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(errorOf([&] { CallbackTable::instance().call(c.name, c.outputs, c.inputs); }),
                  countMessage(c.name, c.kind, c.declared));
    }
    // None of those bodies ran: no window, no global touched.
    EXPECT_EQ(hg().figureCount(), 0u);
    EXPECT_TRUE(gv(G::RECORD).isEmpty());
}

TEST_F(ProgramTest, MinusTwoRowTakesAnyNumberOfFurtherInputs) {
    auto& table = CallbackTable::instance();
    // Three inputs: the text and one whole name/value pair.
    const auto out =
        table.call("title", 1, {Value::text("Hello"), Value::text("FontSize"), Value::scalar(20)});
    ASSERT_EQ(out.size(), 1u);
    const Handle text = out[0].toDouble();
    EXPECT_EQ(hg().get(text, "String").toText(), "Hello");
    EXPECT_EQ(hg().get(text, "FontSize").toDouble(), 20);
    // No output requested: nothing returned.
    EXPECT_TRUE(table.call("xlabel", 0, {Value::text("x")}).empty());
}

TEST(CallbackParse, AcceptsNameAndOneWholeNumberOnly) {
    const auto ok = parseCallback("velmora_gui02(3)");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->name, "velmora_gui02");
    EXPECT_EQ(ok->action, 3);
    EXPECT_EQ(parseCallback("velmora_gui07(-1)")->action, -1);
    for (const char* bad :
         {"", "velmora_gui02", "velmora_gui02()", "velmora_gui02(3", "(3)", "velmora_gui02(3) ",
          " velmora_gui02(3)", "velmora_gui02(3.5)", "velmora_gui02(1e3)", "velmora_gui02(3)(4)",
          "velmora gui(1)", "velmora_gui02(99999999999999999999)", "1abc(2)",
          "velmora_gui02(3);quit", "velmora_gui02(--3)"}) {
        EXPECT_FALSE(parseCallback(bad)) << "accepted: \"" << bad << "\"";
    }
}

TEST_F(ProgramTest, BadCallbackStringsAreReportedAndRunNothing) {
    EXPECT_NE(errorOf([&] {
                  CallbackTable::instance().evaluate("rm_rf(1)");
              }).find("no function named \"rm_rf\""),
              std::string::npos);
    // Through the host's runner the error is shown, not thrown, and the
    // program goes on.
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(runCallback("nonsense"));
    EXPECT_NO_THROW(runCallback("grid(7)"));  // an error inside the body
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Invalid callback \"nonsense\""), std::string::npos);
    EXPECT_NE(err.find("Unknown command option."), std::string::npos);
}

}  // namespace
}  // namespace velmora
