// The nested Boole rule written as plainly as it can be, the lean native floor: constant limits,
// plain arrays, the integrand inlined, no checks, no policy. The points, the sums and their order
// are the integrator's (with the midpoint of a level taken once), so that on grids whose points
// need no 15-digit rounding the result is the engine's to the bit.
#pragma once

#include <cmath>
#include <cstdint>

namespace vantrel {

template <int Order, class Integrand> class LeanScheme {
public:
    LeanScheme(double lower, double upper, double maxError, int32_t minSub, Integrand f)
        : lower_(lower), upper_(upper), maxError_(maxError), minSub_(minSub), f_(f) {}

    double Integral() { return Level(Order - 1); }
    uint64_t Points() const { return points_; }

private:
    double F(int L, double x) {
        v_[L] = x;
        if (L == 0) {
            ++points_;
            return f_(v_);
        }
        return Level(L - 1);
    }

    double Level(int L) {
        const double A = lower_, B = upper_;
        int32_t n = 2;
        double h = (B - A) / n;
        if (h == 0) return 0;
        const double fa = F(L, A), fb = F(L, B);
        const double midpoint = F(L, h + A);
        double prev = (4 * midpoint + fa + fb) * (h / 3);
        n *= 2;
        h = h / 2;
        double sum14 = 0, sum7 = fb + fa;
        double sum12 = midpoint;
        double sum32 = F(L, h + A);
        sum32 = F(L, 3 * h + A) + sum32;
        double integ = (((12 * sum12 + 7 * sum7) + 32 * sum32) * 2) * h / 45;
        while (!(std::fabs(integ - prev) < maxError_ && n >= minSub_)) {
            sum14 = sum12 + sum14;
            sum12 = sum32;
            prev = integ;
            const double partial = (12 * sum12 + 7 * sum7) + 14 * sum14;
            double x = h / 2 + A;
            sum32 = F(L, x);
            for (int32_t i = 1; i < n; ++i) {
                x = h + x;
                sum32 = F(L, x) + sum32;
            }
            integ = ((32 * sum32 + partial) * h) / 45;
            h = h / 2;
            n *= 2;
        }
        return integ;
    }

    double lower_, upper_, maxError_;
    int32_t minSub_;
    Integrand f_;
    double v_[Order] = {};
    uint64_t points_ = 0;
};

} // namespace vantrel
