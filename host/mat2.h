// 2 x 2 matrices and 2-vectors of doubles: just enough linear algebra for
// the discretised oscillator (matrix exponential, inverse, products).
#pragma once

namespace velmora {

// Row-major 2 x 2 matrix: [a11 a12; a21 a22].
struct Mat2 {
    double a11 = 0.0, a12 = 0.0;
    double a21 = 0.0, a22 = 0.0;

    bool operator==(const Mat2&) const = default;
};

// Column vector [x1; x2].
struct Vec2 {
    double x1 = 0.0, x2 = 0.0;

    bool operator==(const Vec2&) const = default;
};

// The products and sums below evaluate every element as written here, so a
// caller that needs to reproduce the arithmetic elsewhere can rely on the
// order (row times column, left to right).
inline Mat2 operator*(const Mat2& a, const Mat2& b) {
    return {a.a11 * b.a11 + a.a12 * b.a21, a.a11 * b.a12 + a.a12 * b.a22,
            a.a21 * b.a11 + a.a22 * b.a21, a.a21 * b.a12 + a.a22 * b.a22};
}

inline Vec2 operator*(const Mat2& a, const Vec2& x) {
    return {a.a11 * x.x1 + a.a12 * x.x2, a.a21 * x.x1 + a.a22 * x.x2};
}

inline Mat2 operator*(double s, const Mat2& a) {
    return {s * a.a11, s * a.a12, s * a.a21, s * a.a22};
}

inline Mat2 operator*(const Mat2& a, double s) {
    return {a.a11 * s, a.a12 * s, a.a21 * s, a.a22 * s};
}

inline Vec2 operator*(const Vec2& x, double s) {
    return {x.x1 * s, x.x2 * s};
}

inline Mat2 operator+(const Mat2& a, const Mat2& b) {
    return {a.a11 + b.a11, a.a12 + b.a12, a.a21 + b.a21, a.a22 + b.a22};
}

inline Mat2 operator-(const Mat2& a, const Mat2& b) {
    return {a.a11 - b.a11, a.a12 - b.a12, a.a21 - b.a21, a.a22 - b.a22};
}

inline Vec2 operator+(const Vec2& x, const Vec2& y) {
    return {x.x1 + y.x1, x.x2 + y.x2};
}

inline Mat2 mlfEye() {
    return {1.0, 0.0, 0.0, 1.0};
}

// Largest absolute column sum.
double norm1(const Mat2& a);

// Inverse through the adjugate, each element divided by the determinant.
// A singular matrix gives non-finite elements, as the array library's inv
// does (it only warns).
Mat2 mlfInv(const Mat2& a);

// Matrix exponential by scaling and squaring with a diagonal Pade
// approximant of degree 3, 5, 7, 9 or 13, chosen from the 1-norm so the
// truncation error stays below double precision (Higham, SIAM J. Matrix
// Anal. Appl. 26(4), 2005). Unlike the closed form for 2 x 2 matrices it
// has no cancellation at repeated eigenvalues (critical damping).
Mat2 mlfExpm(const Mat2& a);

}  // namespace velmora
