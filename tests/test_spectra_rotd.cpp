// Two-component spectra (RotDnn) and intensity measures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "engine/rotd.h"

namespace velmora {
namespace {

bool sameBits(const AnglePeaks& a, const AnglePeaks& b) {
    return std::memcmp(a.data(), b.data(), sizeof a) == 0;
}

// A damped two-component oscillation with noise: an elliptical orbit that
// turns, like an oscillator's response to two components.
void orbit(std::size_t n, unsigned seed, std::vector<double>& u1, std::vector<double>& u2) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0.0, 0.05);
    u1.resize(n);
    u2.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double t = 0.01 * static_cast<double>(k);
        const double env = std::exp(-0.3 * t) * std::sin(0.7 * t + 0.2);
        u1[k] = env * std::cos(6.0 * t) + noise(gen);
        u2[k] = 0.6 * env * std::sin(6.0 * t + 0.4 * t * t) + noise(gen);
    }
}

TEST(RotD, RotatedPeaksAreExactlyThePlainLoopsAndBehaveUnderRotation) {
    std::vector<double> u1, u2;
    for (unsigned seed : {1u, 2u, 3u}) {
        orbit(3000, seed, u1, u2);
        const AnglePeaks fast = rotatedPeaks(u1.data(), u2.data(), u1.size());
        const AnglePeaks plain = rotatedPeaksPlain(u1.data(), u2.data(), u1.size());
        EXPECT_TRUE(sameBits(fast, plain)) << seed;
        // Angle 0 is component 1, angle 90 component 2 (to rounding of cos 90).
        double p1 = 0.0, p2 = 0.0;
        for (std::size_t k = 0; k < u1.size(); ++k) {
            p1 = std::fmax(p1, std::fabs(u1[k]));
            p2 = std::fmax(p2, std::fabs(u2[k]));
        }
        EXPECT_EQ(fast[0], p1);
        EXPECT_NEAR(fast[90], p2, 1e-15);
        // Swapping the components turns the motion by 90 degrees and mirrors
        // it; the set of peaks is the same, so are its percentiles.
        const AnglePeaks swapped = rotatedPeaks(u2.data(), u1.data(), u1.size());
        const std::vector<double> a(fast.begin(), fast.end()), b(swapped.begin(), swapped.end());
        for (double p : {0.0, 50.0, 100.0})
            EXPECT_NEAR(percentileOf(a, p), percentileOf(b, p), 1e-15);
        // RotD100 >= RotD50 >= RotD0.
        EXPECT_GE(percentileOf(a, 100), percentileOf(a, 50));
        EXPECT_GE(percentileOf(a, 50), percentileOf(a, 0));
        EXPECT_GT(percentileOf(a, 50), percentileOf(a, 0));
    }
    // Motion along one axis (a component and a zero record): the peaks are
    // |cos theta| times the component's peak, RotD100 is that peak.
    std::vector<double> zero(u1.size(), 0.0);
    const AnglePeaks polar = rotatedPeaks(u1.data(), zero.data(), u1.size());
    EXPECT_TRUE(sameBits(polar, rotatedPeaksPlain(u1.data(), zero.data(), u1.size())));
    const std::vector<double> p(polar.begin(), polar.end());
    EXPECT_EQ(percentileOf(p, 100), polar[0]);
    for (std::size_t i = 0; i < ROTD_ANGLES; ++i)
        EXPECT_NEAR(polar[i], polar[0] * std::fabs(std::cos(i * std::numbers::pi / 180)), 1e-15);
    // A circular motion: every angle reaches the radius.
    std::vector<double> c1(720), c2(720);
    for (std::size_t k = 0; k < c1.size(); ++k) {
        c1[k] = 2.0 * std::cos(k * std::numbers::pi / 360);
        c2[k] = 2.0 * std::sin(k * std::numbers::pi / 360);
    }
    const AnglePeaks circle = rotatedPeaks(c1.data(), c2.data(), c1.size());
    for (double x : circle) EXPECT_NEAR(x, 2.0, 1e-14);
}

TEST(RotD, PercentilesInterpolateBetweenSortedValues) {
    std::vector<double> v(180);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<double>((i * 7) % 180);  // 0..179
    EXPECT_EQ(percentileOf(v, 0), 0.0);
    EXPECT_EQ(percentileOf(v, 100), 179.0);
    EXPECT_EQ(percentileOf(v, 50), 89.5);  // the mean of the 90th and 91st
    EXPECT_DOUBLE_EQ(percentileOf(v, 10), 17.9);
    EXPECT_EQ(percentileOf({3.0}, 50), 3.0);
}

TEST(RotD, DisplacementHistoryIsTheRecurrence) {
    // A free-standing check: u(k+1) from the recurrence written out for a
    // unit step of acceleration against an undamped oscillator's closed form.
    const double omega = 2.0, dt = 0.001;
    const double c = std::cos(omega * dt), s = std::sin(omega * dt);
    const Mat2 ad{c, s / omega, -omega * s, c};
    // Held unit acceleration: u = -(1 - cos w t) / w^2 (B = [0; -1]).
    const Vec2 hold{-(1.0 - c) / (omega * omega), -s / omega};
    std::vector<double> a(5001, 1.0), u(a.size());
    displacementHistory(ad, hold, Vec2{}, a.data(), a.size(), u.data());
    EXPECT_EQ(u[0], 0.0);
    for (std::size_t k = 0; k < u.size(); k += 500) {
        const double t = dt * static_cast<double>(k);
        EXPECT_NEAR(u[k], -(1.0 - std::cos(omega * t)) / (omega * omega), 1e-12) << k;
    }
}

}  // namespace
}  // namespace velmora
