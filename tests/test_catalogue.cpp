// The catalogue and the tables derived from it at start-up.
#include <gtest/gtest.h>

#include "app/functions.h"
#include "support/program_fixture.h"

namespace velmora {
namespace {

using testing::ProgramTest;

std::string pad(const std::string& s, std::size_t n) {
    return s + std::string(n - s.size(), ' ');
}

TEST_F(ProgramTest, StartValuesAndCatalogueTables) {
    ::testing::internal::CaptureStdout();
    velmora_gui();
    ::testing::internal::GetCapturedStdout();

    // The other start values show on the welcome window's session.
    EXPECT_EQ(gv(G::numquakes).toDouble(), 3);

    const Value& cat = gv(G::EQ_data);
    ASSERT_TRUE(cat.isCell());
    EXPECT_EQ(cat.rows(), 22u);
    EXPECT_EQ(cat.cols(), 8u);
    EXPECT_EQ(cat.cellAt(1, 8).toText(), "Number of Points");
    EXPECT_EQ(cat.cellAt(22, 2).toText(), "Impval1.mat");
    EXPECT_EQ(cat.cellAt(22, 3).toText(), "Elcentro");
    EXPECT_EQ(cat.cellAt(17, 2).toText(), "S_monica.mat");
    for (std::size_t r = 18; r <= 21; ++r) {
        EXPECT_EQ(cat.cellAt(r, 6).toText(), "0");
        EXPECT_EQ(cat.cellAt(r, 7).toText(), "0");
    }
    EXPECT_EQ(gv(G::EQ_l).toDouble(), 22);

    // The number and short name columns show in the scale factors screen's
    // labels and Option 2's legend.

    const Value& lines = gv(G::EQ_string);
    ASSERT_TRUE(lines.isCell());
    ASSERT_EQ(lines.numel(), 22u);
    for (std::size_t i = 1; i <= 22; ++i) EXPECT_EQ(lines.cellAt(i).toText().size(), 118u) << i;
    EXPECT_EQ(lines.cellAt(1).toText(),
              "Num " + pad("Description", 66) + " acc[cm/s^2] vel[cm/s] disp[cm] Number of Points");
    EXPECT_EQ(lines.cellAt(2).toText(),
              pad("1", 3) + " " + pad("Imperial Valley, El Centro, May 18,1940, 270degr.", 66) +
                  " " + pad("341.7", 11) + " " + pad("32.323", 9) + " " + pad("10.86", 8) + " " +
                  pad("2688", 16));

    // 22 scale factors by record number: 2 for record 5, 1 elsewhere.
    Value expected = Value::ones(22, 1);
    expected.set(5, 2);
    EXPECT_EQ(gv(G::EQ_SC), expected);
}

}  // namespace
}  // namespace velmora
