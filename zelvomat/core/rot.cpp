// Rotation matrices about the coordinate axes and the matrix product.
// Matrices are stored column by column (see frames.h).
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/frames.h"

namespace zelvomat {

Mat3 rotx(double a) {
    const double c = std::cos(a), s = std::sin(a);
    Mat3 m{};
    m3(m, 1, 1) = 1.0;
    m3(m, 2, 2) = c;
    m3(m, 2, 3) = s;
    m3(m, 3, 2) = -s;
    m3(m, 3, 3) = c;
    return m;
}

Mat3 roty(double a) {
    const double c = std::cos(a), s = std::sin(a);
    Mat3 m{};
    m3(m, 1, 1) = c;
    m3(m, 1, 3) = -s;
    m3(m, 2, 2) = 1.0;
    m3(m, 3, 1) = s;
    m3(m, 3, 3) = c;
    return m;
}

Mat3 rotz(double a) {
    const double c = std::cos(a), s = std::sin(a);
    Mat3 m{};
    m3(m, 1, 1) = c;
    m3(m, 1, 2) = s;
    m3(m, 2, 1) = -s;
    m3(m, 2, 2) = c;
    m3(m, 3, 3) = 1.0;
    return m;
}

void matmul(std::span<const double> a, std::span<const double> b, std::span<double> c, int p, int q, int r) {
    if (p <= 0 || q <= 0 || r <= 0) return;
    const auto up = static_cast<std::size_t>(p), uq = static_cast<std::size_t>(q), ur = static_cast<std::size_t>(r);
    if (a.size() < up * uq || b.size() < uq * ur || c.size() < up * ur) return;
    // The product is formed apart from c, so c may share storage with a or b.
    std::array<double, 9> small{};
    std::vector<double> large;
    double* out = small.data();
    if (up * ur > small.size()) {
        large.assign(up * ur, 0.0);
        out = large.data();
    }
    for (std::size_t i = 0; i < ur; ++i) {
        for (std::size_t j = 0; j < up; ++j) {
            double sum = 0.0;
            for (std::size_t l = 0; l < uq; ++l) sum += a[l * up + j] * b[i * uq + l];
            out[i * up + j] = sum;
        }
    }
    std::copy(out, out + up * ur, c.begin());
}

Mat3 matmul(const Mat3& a, const Mat3& b) {
    Mat3 c{};
    matmul(a, b, c, 3, 3, 3);
    return c;
}

Vec3 matmul(const Mat3& a, const Vec3& v) {
    Vec3 c{};
    matmul(a, v, c, 3, 3, 1);
    return c;
}

}  // namespace zelvomat
