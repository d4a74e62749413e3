#include "host/mat2.h"

#include <cmath>
#include <utility>

namespace velmora {

double norm1(const Mat2& a) {
    const double c1 = std::fabs(a.a11) + std::fabs(a.a21);
    const double c2 = std::fabs(a.a12) + std::fabs(a.a22);
    return c1 > c2 ? c1 : c2;
}

Mat2 mlfInv(const Mat2& a) {
    const double det = a.a11 * a.a22 - a.a12 * a.a21;
    return {a.a22 / det, -a.a12 / det, -a.a21 / det, a.a11 / det};
}

namespace {

// Solves P X = Q by Gaussian elimination with partial pivoting; P = V - U of
// the Pade approximant is well conditioned by the choice of degree.
Mat2 solve(const Mat2& p, const Mat2& q) {
    double r1[3] = {p.a11, q.a11, q.a12};
    double r2[3] = {p.a21, q.a21, q.a22};
    double p12 = p.a12, p22 = p.a22;
    if (std::fabs(p.a21) > std::fabs(p.a11)) {
        std::swap(r1, r2);
        std::swap(p12, p22);
    }
    const double l = r2[0] / r1[0];
    const double u22 = p22 - l * p12;
    const double y21 = r2[1] - l * r1[1];
    const double y22 = r2[2] - l * r1[2];
    const double x21 = y21 / u22;
    const double x22 = y22 / u22;
    const double x11 = (r1[1] - p12 * x21) / r1[0];
    const double x12 = (r1[2] - p12 * x22) / r1[0];
    return {x11, x12, x21, x22};
}

// U and V of the degree-m approximant: U holds the odd, V the even powers.
struct PadeTerms {
    Mat2 u, v;
};

PadeTerms padeLow(const Mat2& a, const double* b, int m) {
    const Mat2 eye = mlfEye();
    const Mat2 a2 = a * a;
    Mat2 power = eye;  // A^(2i)
    Mat2 odd{}, even{};
    for (int i = 0; 2 * i <= m; ++i) {
        if (i > 0) power = power * a2;
        even = even + b[2 * i] * power;
        odd = odd + b[2 * i + 1] * power;
    }
    return {a * odd, even};
}

PadeTerms pade13(const Mat2& a) {
    static const double b[] = {64764752532480000.0,
                               32382376266240000.0,
                               7771770303897600.0,
                               1187353796428800.0,
                               129060195264000.0,
                               10559470521600.0,
                               670442572800.0,
                               33522128640.0,
                               1323241920.0,
                               40840800.0,
                               960960.0,
                               16380.0,
                               182.0,
                               1.0};
    const Mat2 eye = mlfEye();
    const Mat2 a2 = a * a;
    const Mat2 a4 = a2 * a2;
    const Mat2 a6 = a2 * a4;
    const Mat2 u = a * (a6 * (b[13] * a6 + b[11] * a4 + b[9] * a2) + b[7] * a6 + b[5] * a4 +
                        b[3] * a2 + b[1] * eye);
    const Mat2 v =
        a6 * (b[12] * a6 + b[10] * a4 + b[8] * a2) + b[6] * a6 + b[4] * a4 + b[2] * a2 + b[0] * eye;
    return {u, v};
}

}  // namespace

Mat2 mlfExpm(const Mat2& a) {
    static const double b3[] = {120.0, 60.0, 12.0, 1.0};
    static const double b5[] = {30240.0, 15120.0, 3360.0, 420.0, 30.0, 1.0};
    static const double b7[] = {17297280.0, 8648640.0, 1995840.0, 277200.0,
                                25200.0,    1512.0,    56.0,      1.0};
    static const double b9[] = {17643225600.0, 8821612800.0, 2075673600.0, 302702400.0, 30270240.0,
                                2162160.0,     110880.0,     3960.0,       90.0,        1.0};
    // Largest 1-norms for which each degree meets double precision unscaled.
    static const double theta3 = 1.495585217958292e-2;
    static const double theta5 = 2.539398330063230e-1;
    static const double theta7 = 9.504178996162932e-1;
    static const double theta9 = 2.097847961257068e0;
    static const double theta13 = 5.371920351148152e0;

    const double n = norm1(a);
    if (!std::isfinite(n)) {
        const double nan = std::nan("");
        return {nan, nan, nan, nan};
    }
    PadeTerms t;
    int squarings = 0;
    if (n <= theta3) {
        t = padeLow(a, b3, 3);
    } else if (n <= theta5) {
        t = padeLow(a, b5, 5);
    } else if (n <= theta7) {
        t = padeLow(a, b7, 7);
    } else if (n <= theta9) {
        t = padeLow(a, b9, 9);
    } else {
        // Smallest s with n / 2^s <= theta13; an exact power of two needs
        // one squaring fewer than frexp's exponent suggests.
        int e = 0;
        const double f = std::frexp(n / theta13, &e);
        squarings = e - (f == 0.5 ? 1 : 0);
        if (squarings < 0) squarings = 0;
        t = pade13(std::ldexp(1.0, -squarings) * a);
    }
    Mat2 r = solve(t.v - t.u, t.v + t.u);
    for (int i = 0; i < squarings; ++i) r = r * r;
    return r;
}

}  // namespace velmora
