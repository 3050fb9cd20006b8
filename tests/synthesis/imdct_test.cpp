#include "codec/synthesis/imdct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

// y[n] = (2/N) sum_k X[k] cos(2 pi/N (n + n0)(k + 1/2)), n0 = (N/2 + 1)/2.
std::vector<double> directimdct(const std::vector<double>& x, int n) {
    const double n0 = (n / 2 + 1) / 2.0;
    std::vector<double> y(n);
    for (int i = 0; i < n; i++) {
        long double sum = 0.0;
        for (int k = 0; k < n / 2; k++)
            sum += x[k] * std::cos(2 * std::numbers::pi / n * (i + n0) * (k + 0.5));
        y[i] = static_cast<double>(2.0L / n * sum);
    }
    return y;
}

std::vector<double> runimdct(const std::vector<double>& x, int n) {
    std::vector<double> data(n, 0.0), work(n / 2, 0.0);
    std::copy(x.begin(), x.end(), data.begin());
    imdct(data.data(), work.data(), (n / 2 + 1) / 2.0, n);
    return data;
}

} // namespace

TEST(Imdct, MatchesDirectFormulaForRandomSpectra) {
    std::mt19937 source(11);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int n : {128, 256, 2048}) {
        std::vector<double> x(n / 2);
        for (double& v : x) v = value(source);
        const std::vector<double> expected = directimdct(x, n);
        const std::vector<double> actual = runimdct(x, n);
        double peak = 0.0, error = 0.0;
        for (int i = 0; i < n; i++) {
            peak = std::max(peak, std::abs(expected[i]));
            error = std::max(error, std::abs(actual[i] - expected[i]));
        }
        EXPECT_LT(error / peak, 1e-12) << "N " << n;
    }
}

TEST(Imdct, SingleCoefficientGivesOneCosine) {
    const int n = 256;
    for (int j : {0, 1, 77, 127}) {
        std::vector<double> x(n / 2, 0.0);
        x[j] = 1.0;
        const std::vector<double> y = runimdct(x, n);
        const double n0 = (n / 2 + 1) / 2.0;
        for (int i = 0; i < n; i++)
            EXPECT_NEAR(y[i], 2.0 / n * std::cos(2 * std::numbers::pi / n * (i + n0) * (j + 0.5)), 1e-15)
                << "j " << j << " n " << i;
    }
}

// Short transforms must not touch anything beyond N outputs and N/2 work entries.
TEST(Imdct, StaysWithinItsBuffers) {
    const int n = 128;
    std::vector<double> data(2 * n, 7.0), work(n, 7.0);
    for (int k = 0; k < n / 2; k++) data[k] = 0.01 * k;
    imdct(data.data(), work.data(), (n / 2 + 1) / 2.0, n);
    for (int i = n; i < 2 * n; i++) EXPECT_EQ(data[i], 7.0);
    for (int i = n / 2; i < n; i++) EXPECT_EQ(work[i], 7.0);
}
