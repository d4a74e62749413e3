#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/value.h"
#include "support/program_fixture.h"

using velmora::Error;
using velmora::Value;
using velmora::testing::errorOf;

TEST(ValueConstruction, ShapesColumnMajorOrderEmptySpellingsAndPaddedText) {
    const Value m = Value::matrix(2, 3, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(m.rows(), 2u);
    EXPECT_EQ(m.cols(), 3u);
    EXPECT_EQ(m(2, 1), 2.0);
    EXPECT_EQ(m(1, 2), 3.0);
    EXPECT_EQ(m(5), 5.0);
    EXPECT_EQ(m.rowValues(2), (std::vector<double>{2, 4, 6}));
    EXPECT_EQ(m.length(), 3u);

    EXPECT_EQ(Value::ones(2, 2).data(), (std::vector<double>{1, 1, 1, 1}));
    EXPECT_THROW(Value::matrix(2, 2, {1, 2, 3}), Error);
    // Empty spellings, and padded text.
    EXPECT_EQ(Value::matrix(0, 0, {}), Value());
    EXPECT_EQ(Value::zeros(0, 0), Value());
    EXPECT_EQ(Value::row(std::vector<double>{}), Value());
    EXPECT_EQ(Value::column({}), Value());
    EXPECT_TRUE(Value::zeros(0, 3).isEmpty());
    EXPECT_EQ(Value::zeros(0, 3).cols(), 3u);
    EXPECT_EQ(Value().length(), 0u);
    // Empty text is a 0 x 0 char array, not the empty value.
    const Value e = Value::text("");
    EXPECT_TRUE(e.isChar());
    EXPECT_EQ(e.rows(), 0u);
    EXPECT_EQ(e.cols(), 0u);
    EXPECT_NE(e, Value());
    const Value t = Value::textRows({"ab", "", "abcd"});
    EXPECT_EQ(t.rows(), 3u);
    EXPECT_EQ(t.charRows(), (std::vector<std::string>{"ab  ", "    ", "abcd"}));
}

TEST(ValueAccess, OutOfRangeAndWrongKindThrow) {
    const Value m = Value::matrix(2, 2, {1, 2, 3, 4});
    EXPECT_EQ(errorOf([&] { (void)m(5); }), "Index exceeds matrix dimensions.");
    EXPECT_EQ(errorOf([&] { (void)m(3, 1); }), "Index exceeds matrix dimensions.");
    EXPECT_THROW((void)m(0), Error);
    EXPECT_THROW((void)m.rowValues(3), Error);
    EXPECT_THROW((void)Value().toDouble(), Error);
    EXPECT_THROW((void)Value::text("a")(1), Error);
    EXPECT_THROW((void)Value::text("a").toDouble(), Error);
    EXPECT_THROW((void)m.charRow(1), Error);
    EXPECT_THROW((void)Value::text("ab").charRow(2), Error);
    EXPECT_EQ(Value::scalar(2.5).toDouble(), 2.5);
}

// A linear index grows an empty value into a row and a vector along its
// direction; two indices grow both dimensions, elements keeping their places.
TEST(ValueGrowth, IndicesAndRowsGrowVectorsAndMatricesKeepingPlaces) {
    const struct {
        Value start;
        std::size_t i, j;  // j = 0: a linear index
        double x;
        Value grown;
    } cases[] = {
        {Value(), 3, 0, 7, Value::row({0, 0, 7})},
        {Value::zeros(0, 4), 2, 0, 1, Value::row({0, 1})},
        {Value::row({1, 2}), 4, 0, 9, Value::row({1, 2, 0, 9})},
        {Value::scalar(5), 2, 0, 6, Value::row({5, 6})},
        {Value::column({1, 2}), 3, 0, 8, Value::column({1, 2, 8})},
        {Value::zeros(2, 2), 3, 0, 5, Value::matrix(2, 2, {0, 0, 5, 0})},
        {Value::matrix(2, 2, {1, 2, 3, 4}), 3, 4, 9,
         Value::matrix(3, 4, {1, 2, 0, 3, 4, 0, 0, 0, 0, 0, 0, 9})},
        {Value(), 2, 1, 5, Value::column({0, 5})},
    };
    for (auto c : cases) {
        c.j == 0 ? c.start.set(c.i, c.x) : c.start.set(c.i, c.j, c.x);
        EXPECT_EQ(c.start, c.grown) << c.i << " " << c.j;
    }
    // A linear index cannot grow a matrix; texts and cells take no numbers.
    Value m = Value::zeros(2, 2), t = Value::text("abc"), cell = Value::cellRow({Value::scalar(1)});
    EXPECT_THROW(m.set(5, 1), Error);
    EXPECT_THROW(m.set(0, 1), Error);
    EXPECT_THROW(t.set(1, 65), Error);
    EXPECT_THROW(cell.set(1, 1, 2), Error);
    EXPECT_THROW(cell.setRow(1, {1}), Error);
    // A row sets a whole row, growing the rows, and must have the width.
    Value g;
    g.setRow(2, {1, 2, 3});
    EXPECT_EQ(g, Value::matrix(2, 3, {0, 1, 0, 2, 0, 3}));
    g.setRow(1, {4, 5, 6});
    EXPECT_EQ(g.rowValues(1), (std::vector<double>{4, 5, 6}));
    EXPECT_EQ(errorOf([&] { g.setRow(1, {1, 2}); }), "Subscripted assignment dimension mismatch.");
}

TEST(ValueCut, KeepRowsOfMatrixAndElementsOfRow) {
    Value m = Value::matrix(3, 2, {1, 2, 3, 4, 5, 6}), r = Value::row({1, 2, 3, 4});
    Value t = Value::textRows({"one", "two", "six"}), k = Value::matrix(2, 3, {1, 2, 3, 4, 5, 6});
    m.keepRows(2);
    r.keepRows(2);
    t.keepRows(1);
    k.keepColumns(1);
    EXPECT_EQ(m, Value::matrix(2, 2, {1, 2, 4, 5}));
    EXPECT_EQ(r, Value::row({1, 2}));
    EXPECT_EQ(t, Value::text("one"));
    EXPECT_EQ(k, Value::column({1, 2}));
    EXPECT_THROW(m.keepRows(3), Error);
    EXPECT_THROW(m.keepColumns(3), Error);
}

TEST(ValueTruthy, NonEmptyAndEveryElementNonZero) {
    EXPECT_FALSE(Value().truthy());
    EXPECT_FALSE(Value::zeros(0, 3).truthy());
    EXPECT_FALSE(Value::text("").truthy());
    EXPECT_TRUE(Value::scalar(-2).truthy());
    EXPECT_FALSE(Value::scalar(0).truthy());
    EXPECT_TRUE(Value::row({1, 2, 3}).truthy());
    EXPECT_FALSE(Value::row({1, 0, 3}).truthy());
    EXPECT_TRUE(Value::text("0").truthy());  // the character '0' has code 48
    EXPECT_FALSE(Value::text(std::string("a\0b", 3)).truthy());
    EXPECT_THROW((void)Value::cellRow({Value::scalar(1)}).truthy(), Error);
}

TEST(ValueEquality, KindSizeAndContentsAllCount) {
    EXPECT_EQ(Value::row({1, 2}), Value::row({1, 2}));
    EXPECT_NE(Value::row({1, 2}), Value::column({1, 2}));
    EXPECT_NE(Value::row({1, 2}), Value::row({1, 3}));
    EXPECT_NE(Value::scalar(97), Value::text("a"));
    EXPECT_NE(Value::text("ab"), Value::textRows({"a", "b"}));
    EXPECT_EQ(Value::cellRow({Value::text("x"), Value::scalar(1)}),
              Value::cellRow({Value::text("x"), Value::scalar(1)}));
    EXPECT_NE(Value::cellRow({Value::text("x")}), Value::cellRow({Value::text("y")}));
    EXPECT_NE(Value::cellRow({}), Value());
}

TEST(ValueText, ToTextJoinsRowsAndUnwrapsSingleCell) {
    EXPECT_EQ(Value::text("abc").toText(), "abc");
    EXPECT_EQ(Value::textRows({"ab", "c"}).toText(), "ab\nc ");
    EXPECT_EQ(Value::text("").toText(), "");
    EXPECT_EQ(Value().toText(), "");
    EXPECT_EQ(Value::cellRow({Value::text("in")}).toText(), "in");
    EXPECT_THROW((void)Value::scalar(1).toText(), Error);
    EXPECT_THROW((void)Value::cellRow({Value::text("a"), Value::text("b")}).toText(), Error);
}

TEST(ValueCells, AccessAndGrowth) {
    Value c;
    c.setCell(2, Value::text("b"));
    EXPECT_EQ(c, Value::cellRow({Value(), Value::text("b")}));
    EXPECT_EQ(c.cellAt(1), Value());
    EXPECT_EQ(c.cellAt(1, 2), Value::text("b"));
    Value col = Value::cell(2, 1, {Value::scalar(1), Value::scalar(2)});
    col.setCell(3, Value::scalar(3));
    EXPECT_EQ(col, Value::cell(3, 1, {Value::scalar(1), Value::scalar(2), Value::scalar(3)}));

    EXPECT_THROW((void)c.cellAt(3), Error);
    EXPECT_THROW((void)Value::scalar(1).cellAt(1), Error);
    Value num = Value::scalar(1), grid = Value::cell(2, 2, std::vector<Value>(4));
    EXPECT_THROW(num.setCell(1, Value()), Error);
    EXPECT_THROW(grid.setCell(5, Value()), Error);
}
