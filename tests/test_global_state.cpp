// The 44 globals: names and order, by-name access, destruction in reverse.
#include <gtest/gtest.h>

#include "app/global_state.h"

namespace velmora {
namespace {

TEST(GlobalState, CreatedInTableOrderAndDestroyedInReverse) {
    auto& g = GlobalState::instance();
    g.create();
    const auto& names = GlobalState::names();
    ASSERT_EQ(names.size(), 44u);
    EXPECT_STREQ(names.front(), "DAMP");
    EXPECT_STREQ(names[18], "damp");
    EXPECT_STREQ(names[42], "damplabel");
    EXPECT_STREQ(names.back(), "TIME");
    // Every variable starts empty; typed and by-name access reach the same one.
    for (const char* n : names) EXPECT_TRUE(g.byName(n).isEmpty()) << n;
    g[G::RECORD] = Value::scalar(7);
    EXPECT_EQ(g.byName("RECORD").toDouble(), 7);
    g.byName("DAMP") = Value::scalar(0.05);
    EXPECT_EQ(gv(G::DAMP).toDouble(), 0.05);
    // Case matters: damp and DAMP are two variables.
    EXPECT_TRUE(g.byName("damp").isEmpty());
    EXPECT_THROW(g.byName("record"), Error);
    EXPECT_THROW(g.byName("nope"), Error);

    std::vector<std::string> destroyed;
    g.setDestroyHook([&](const std::string& n) { destroyed.push_back(n); });
    g.destroy();
    g.setDestroyHook(nullptr);
    EXPECT_EQ(destroyed, std::vector<std::string>(names.rbegin(), names.rend()));
    EXPECT_THROW(gv(G::RECORD), Error);
}

}  // namespace
}  // namespace velmora
