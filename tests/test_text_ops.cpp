#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "host/text_ops.h"
#include "support/program_fixture.h"

using velmora::Error;
using velmora::Value;
using velmora::testing::errorOf;

// Whole numbers have no decimal point; fractions keep four digits past the
// integer part. (0, 0.02, 0.05 and 0.15 are checked where the input screens
// show them as damping ratios.)
TEST(TextNum2str, WholeFractionalAndNonFiniteNumbers) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, const char*> cases[] = {{5, "5"},
                                                    {-3, "-3"},
                                                    {-0.0, "0"},
                                                    {1e10, "10000000000"},
                                                    {250, "250"},
                                                    {1.0 / 3.0, "0.33333"},
                                                    {2.5, "2.5"},
                                                    {123.456, "123.456"},
                                                    {-0.75, "-0.75"},
                                                    {9.81234567, "9.8123"},
                                                    {12345.678, "12345.678"},
                                                    {std::nan(""), "NaN"},
                                                    {inf, "Inf"},
                                                    {-inf, "-Inf"}};
    for (const auto& [x, text] : cases) EXPECT_EQ(velmora::num2str(x), text) << x;
}

TEST(TextNum2str, ValuesRowsMatricesAndText) {
    // A scalar's text is checked in the input screens' edit fields.
    EXPECT_EQ(velmora::mlfNum2str(Value::row({1, 2.5, -3})), Value::text("1  2.5  -3"));
    // Columns line up across rows.
    EXPECT_EQ(velmora::mlfNum2str(Value::matrix(2, 2, {1, 100, 2.5, 3})),
              Value::textRows({"  1  2.5", "100    3"}));
    EXPECT_EQ(velmora::mlfNum2str(Value::text("as is")), Value::text("as is"));
    EXPECT_EQ(velmora::mlfNum2str(Value()), Value::text(""));
    EXPECT_THROW(velmora::mlfNum2str(Value::cellRow({Value::scalar(1)})), Error);
}

TEST(TextStr2num, DecimalNumbersGiveAScalarOrARowAnythingElseEmpty) {
    // Underflow reads as zero.
    const std::pair<const char*, double> scalars[] = {
        {"1", 1},       {"-0.5", -0.5}, {"+.5", 0.5},       {"5.", 5},
        {"1e-3", 1e-3}, {"2E+2", 200},  {"  0.02  ", 0.02}, {"1e-999", 0}};
    for (const auto& [text, x] : scalars)
        EXPECT_EQ(velmora::str2num(text), Value::scalar(x)) << text;
    EXPECT_EQ(velmora::str2num("1 2"), Value::row({1, 2}));
    EXPECT_EQ(velmora::str2num("1,2"), Value::row({1, 2}));
    EXPECT_EQ(velmora::str2num(" 1 , -2\t3 "), Value::row({1, -2, 3}));
    // num2str's texts read back.
    for (double x : {0.02, 2.5, -3.0, 123.456, 1e10, 0.15}) {
        EXPECT_EQ(velmora::str2num(velmora::num2str(x)), Value::scalar(x)) << x;
    }
    // Anything else gives empty.
    for (const char* bad :
         {"",    "   ", "abc", "--1",  "1..2", "1e", "0x10",  "1 2a",   "Inf", "NaN", "1-2",
          "- 1", ",1",  "1,",  "1,,2", ".",    "e5", "1e999", "-1e999", "1;2", "1\n2"}) {
        EXPECT_EQ(velmora::str2num(bad), Value()) << '"' << bad << '"';
    }
    // Long input.
    std::string many;
    for (int i = 0; i < 50000; ++i) many += "7 ";
    const Value row = velmora::str2num(many);
    ASSERT_EQ(row.cols(), 50000u);
    EXPECT_EQ(row(50000), 7.0);

    EXPECT_EQ(velmora::str2num(std::string(100000, '9')), Value());  // overflows
    EXPECT_EQ(velmora::str2num("0." + std::string(100000, '0') + "1"), Value::scalar(0));
    EXPECT_EQ(velmora::str2num(std::string(100000, 'a')), Value());
    EXPECT_EQ(velmora::str2num(std::string(99999, '1') + "x"), Value());
}

TEST(TextStr2num, ValueInput) {
    EXPECT_EQ(velmora::mlfStr2num(Value::text("3 4")), Value::row({3, 4}));
    EXPECT_EQ(velmora::mlfStr2num(Value::textRows({"1 2", "3 4"})),
              Value::matrix(2, 2, {1, 3, 2, 4}));
    EXPECT_EQ(velmora::mlfStr2num(Value::textRows({"1 2", "3"})), Value());
    EXPECT_EQ(velmora::mlfStr2num(Value::scalar(5)), Value());
    EXPECT_EQ(velmora::mlfStr2num(Value()), Value());
}

TEST(TextStrvcat, StacksPadsAndSkipsEmptyBesideBlanks) {
    const Value v = velmora::mlfStrvcat(
        {Value::text("Sa"), Value::text(""), Value(), Value::textRows({"damping", "x"})});
    EXPECT_EQ(v, Value::textRows({"Sa", "damping", "x"}));

    const Value fromCell = velmora::mlfStrvcat(
        {Value::cellRow({Value::text("ab"), Value::text(""), Value::text("c")})});
    EXPECT_EQ(fromCell, Value::textRows({"ab", "c"}));
    EXPECT_EQ(velmora::mlfStrvcat({}), Value::text(""));
    EXPECT_EQ(velmora::mlfBlanks(3), Value::text("   "));
    EXPECT_TRUE(velmora::mlfBlanks(0).isEmpty());
}

TEST(TextStrrep, ReplacesEveryOccurrence) {
    const auto rep = [](const std::string& s, const std::string& f, const std::string& t) {
        return velmora::mlfStrrep(Value::text(s), Value::text(f), Value::text(t)).toText();
    };
    EXPECT_EQ(rep("a_b_c", "_", " "), "a b c");
    EXPECT_EQ(rep("record.mat", ".mat", ""), "record");
    EXPECT_EQ(rep("xx", "x", "xx"), "xxxx");
    EXPECT_EQ(rep("abc", "", "z"), "abc");
    EXPECT_EQ(rep("abc", "q", "z"), "abc");

    const Value cell = velmora::mlfStrrep(Value::cellRow({Value::text("a-b"), Value::text("-")}),
                                          Value::text("-"), Value::text("+"));
    EXPECT_EQ(cell, Value::cellRow({Value::text("a+b"), Value::text("+")}));
    EXPECT_THROW(
        velmora::mlfStrrep(Value::textRows({"a", "b"}), Value::text("a"), Value::text("c")), Error);
}

TEST(TextStrcmp, SameKindSizeAndContent) {
    EXPECT_TRUE(velmora::mlfStrcmp(Value::text("abc"), Value::text("abc")));
    EXPECT_TRUE(velmora::mlfStrcmp(Value::text(""), Value::text("")));
    EXPECT_FALSE(velmora::mlfStrcmp(Value::text("abc"), Value::text("abd")));
    EXPECT_FALSE(velmora::mlfStrcmp(Value::text("abc"), Value::text("abc ")));
    EXPECT_FALSE(velmora::mlfStrcmp(Value::text("a"), Value::scalar(97)));
    EXPECT_FALSE(velmora::mlfStrcmp(Value(), Value()));
    EXPECT_FALSE(velmora::mlfStrcmp(Value::cellRow({Value::text("a")}), Value::text("a")));
}

TEST(TextChar, CellOfTextsBecomesPaddedMatrix) {
    const Value c = Value::cellRow({Value::text("PGA"), Value::text(""), Value::text("Sa(T1)")});
    EXPECT_EQ(velmora::mlfChar(c), Value::textRows({"PGA", "", "Sa(T1)"}));
    EXPECT_EQ(velmora::mlfChar(Value::text("as is")), Value::text("as is"));
    EXPECT_EQ(velmora::mlfChar(Value::row({72, 105})), Value::text("Hi"));
    EXPECT_THROW(velmora::mlfChar(Value::scalar(0.5)), Error);
    EXPECT_THROW(velmora::mlfChar(Value::cellRow({Value::cellRow({})})), Error);
}

TEST(TextHorzcat, JoinsRowsSideBySide) {
    EXPECT_EQ(velmora::horzcatText({Value::text("T = "), Value::text("0.5"), Value::text(" s")}),
              Value::text("T = 0.5 s"));
    EXPECT_EQ(velmora::horzcatText({Value::textRows({"a", "bb"}), Value::textRows({"1", "2"})}),
              Value::textRows({"a 1", "bb2"}));
    EXPECT_EQ(velmora::horzcatText({Value(), Value::text("x"), Value::text("")}), Value::text("x"));
    EXPECT_EQ(velmora::horzcatText({}), Value::text(""));
    EXPECT_EQ(
        errorOf([] {
            velmora::horzcatText({Value::text("a"), Value::textRows({"b", "c"})});
        }),
        "All matrices on a row in the bracketed expression must have the same number of rows.");
}
