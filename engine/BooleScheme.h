// The nested composite Boole rule. Level L integrates F over its variable between its limits on
// a grid of NSub(L) subintervals that doubles until two successive estimates differ by less
// than MaxError and the grid has at least MinSub(L) subintervals. For an outer level, F at a
// point is the whole inner integral there.
//
// The order of evaluations and of the operations in every sum and product is fixed: results
// must agree to the bit with every other computation of the same problem. The evaluation
// policy supplies the three things that touch expressions:
//   void SetVars();                  assign every level's variable from VarVal
//   double EvalLimit(int L, bool upper);
//   double EvalF();                  the integrand at the current variable values
// and may throw ComputationError (or its own exceptions) to end the computation. A policy may
// also offer
//   void SetInnerVars(int L);
// SetVars where the variables of the levels from L + 2 on hold the values the last SetVars gave
// them (level L's integral at a point of level L + 1: only the scheme writes those values, and
// not while level L + 1 visits its points), and
//   bool MidpointReusable(int L);
// true when F of level L at the same point is bound to give the same value and the same state
// again (nothing that level L or an inner level evaluates reads a left-over variable value);
// the scheme then takes the Simpson estimate's midpoint value for the Boole estimate's instead
// of evaluating it a second time. And a policy that can compute a level's values ahead, in
// parallel, offers
//   bool ComputesAhead(int L);
//   void Ahead(int L, std::span<const double> points);      the points about to be visited
//   void AheadRefinement(int L, double first, double step, std::size_t count);
//                 the same: first, then each step plus the one before, rounded, at most count
//                 points, of which the first that is not finite is the last
//   bool TakeAhead(int L, double x, double& value);         a value computed ahead, if any
//   bool Pending(int L);        whether points of the level's last batch are being computed ahead
// The scheme still visits every point in its order; a value taken from ahead is the one its
// evaluation would give, and an evaluation that failed ahead is made again in order. Such a
// policy may also offer
//   std::size_t TakeAheadRun(int L, double x, double step, std::span<double> values);
// TakeAhead at x and at each step on from it, rounded, as far as values computed ahead follow
// one another, at most values.size(): their number, the values filled. The scheme sums them at
// once, and where the sum overflows, ends the computation at the run's end instead of at the
// point where it overflowed: for a policy that then makes the computation again without values
// computed ahead. A policy
// that can evaluate several of level 0's points at once offers
//   std::size_t EvalFMany(std::span<const double> xs, double* values, bool varsSet, double step);
//   void UnvisitF(std::size_t count);
// EvalFMany is EvalF at each point in order, as far as it can go: it returns the number of
// points done, whose values the scheme takes as it visits them, and the rest are evaluated one
// by one. varsSet says that no variable value has changed and nothing but limits has been
// evaluated since the last SetVars. A step that is not 0 says that each point is step plus the one
// before, rounded, as in a refinement. Where the computation ends before the last points done are
// visited, UnvisitF takes them back, so that the policy's state is that of the last point visited.
// Where level 0's limits are lone numbers, its first batch is the same at every point of level 1;
// a policy that keeps it offers
//   bool KeepFirstBatch(std::span<const double> xs);  the first batch, just evaluated whole
//   std::size_t EvalFirstAgain(double* values);
// EvalFirstAgain is SetInnerVars(0), then EvalFMany on the points kept, with the values of level 1
// and the outer levels as they stand. Such a policy may also offer
//   std::size_t EvalFirstAgainOver(std::span<const double> outer, double* values);
// EvalFirstAgain with level 1's value at each of the points outer in turn, right after a
// SetInnerVars(1), as far as each comes whole: the number of points of outer done; UnvisitF takes
// their evaluations back.
#pragma once

#include "engine/Dimension.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace vantrel {

// An error that the computation raises itself, such as the overflow of a stored result.
struct ComputationError {
    int32_t number;
};

inline constexpr int32_t OverflowError = 6;
inline constexpr int32_t MaxSubintervals = int32_t{1} << 30;

template <class Evaluation> class BooleScheme {
public:
    BooleScheme(Dimension& dim, Evaluation& eval) : d_(dim), eval_(eval) {}

    // The value of level L at the point x: the integrand there for level 0, else the whole
    // integral of level L - 1. Level is set as it stands while level L visits its points.
    double Value(int L, double x) {
        d_.Level = L;
        try {
            return F(L, x, false); // the outer values are new here
        } catch (...) {
            Unvisit();
            throw;
        }
    }

    // One level: on entry Level is one more than the level to compute; on a normal return it
    // has that value again and Integ(L) holds the level's integral.
    void Compute() {
        try {
            ComputeLevel();
        } catch (...) {
            Unvisit();
            throw;
        }
    }

private:
    // Compute, which F calls for each point of an outer level: then the outer levels' values are
    // as the last SetVars gave them, but for the point's own.
    void ComputeLevel(bool outerAssigned = false) {
        const int L = --d_.Level;
        d_.NSub[L] = 2;
        d_.Integ[L] = 0;
        if ((outerAssigned && L == 0 && FirstEstimatesAgain()) || FirstEstimates(L, outerAssigned))
            while (!(std::fabs(d_.Integ[L] - d_.PrevInteg[L]) < d_.MaxError &&
                     d_.NSub[L] >= d_.MinSub[L]))
                Refine(L);
        ++d_.Level;
    }

    // Simpson on 2 subintervals and Boole on 4: false where the level's limits are equal, and its
    // integral 0.
    bool FirstEstimates(int L, bool outerAssigned) {
        if (outerAssigned)
            SetInnerVars(L);
        else
            eval_.SetVars();
        const double A = Stored(d_.LLVal[L], eval_.EvalLimit(L, false));
        const double B = Stored(d_.ULVal[L], eval_.EvalLimit(L, true));
        double& H = d_.H[L];
        Stored(H, (B - A) / 2); // NSub(L) is 2: a halving, which the compiler makes a product
        if (H == 0) return false;
        if (WantsAhead(L)) { // the points that the two estimates visit, the midpoint once
            const double points[] = {A, B, H + A, H / 2 + A, 3 * (H / 2) + A};
            Ahead(L, points);
        }
        const double half = H, midpoint = H + A, quarter = H / 2;
        const double again = (quarter + quarter) + A;
        const bool reused = SameBits(again, midpoint) && MidpointReusable(L);
        // The points in the order of their visits, the midpoint's second one left out if reused.
        double visits[] = {A, B, midpoint, again, quarter + A, 3 * quarter + A};
        if (reused) std::copy(visits + 4, visits + 6, visits + 3);
        const std::span<const double> points(visits, reused ? 5 : 6);
        if (Batches(L)) { // the variables are as SetVars gave them
            Batch(points);
            if (FirstEstimatesAtOnce(L, reused)) {
                KeepFirstBatch(half);
                return true;
            }
        }
        if (L == 1 && FirstEstimatesOverKept(points)) return true;
        // Simpson on 2 subintervals: the first previous estimate.
        Stored(d_.FA[L], F(L, A));
        Stored(d_.FB[L], F(L, B));
        const double midValue = F(L, midpoint);
        Stored(d_.PrevInteg[L], Simpson(midValue, d_.FA[L], d_.FB[L], H));
        // Boole on 4 subintervals; the midpoint is evaluated again unless its value is sure.
        d_.NSub[L] *= 2;
        Stored(H, quarter);
        d_.Sum14[L] = 0;
        Stored(d_.Sum7[L], d_.FB[L] + d_.FA[L]);
        Stored(d_.Sum12[L], reused ? midValue : F(L, again));
        Stored(d_.Sum32[L], F(L, H + A));
        Stored(d_.Sum32[L], F(L, 3 * H + A) + d_.Sum32[L]);
        Stored(d_.Integ[L], Boole(d_.Sum12[L], d_.Sum7[L], d_.Sum32[L], H));
        return true;
    }

    // The two first estimates of level 0 where the batch holds every value they take: the steps
    // of ComputeLevel on those values, in registers, stored only where every result is finite.
    // Else nothing is stored or visited here, and the steps one by one take the same values and
    // stop where ComputeLevel would.
    bool FirstEstimatesAtOnce(int L, bool reused) {
        if (taken_ != 0 || done_ != (reused ? 5u : 6u)) return false;
        if (!StoreFirstEstimates(L, values_.data(), done_, d_.H[L], points_[done_ - 1]))
            return false;
        taken_ = done_;
        return true;
    }

    // Level 0's first estimates at a new point of level 1 where level 0's limits are lone
    // numbers and its first batch came whole the last time: the same points, kept by the policy,
    // evaluated at once. Where that fails, nothing is left of it and the steps are made anew.
    bool FirstEstimatesAgain() {
        if constexpr (KeepsFirstBatch) {
            if (firstAgain_ == 0) return false;
            const std::size_t done = eval_.EvalFirstAgain(values_.data());
            if (done == firstAgain_ &&
                StoreFirstEstimates(0, values_.data(), done, firstH_, firstLast_))
                return true;
            if (done > 0) eval_.UnvisitF(done);
            firstAgain_ = 0;
        }
        return false;
    }

    // Level 1's first estimates where level 0's first batch is kept: level 0's integral at each
    // of level 1's points from that batch, all at once, where at every one of them the first
    // two estimates are finite and agree, so that level 0 refines nothing there. Only the last
    // point's steps of level 0 are stored, and those of level 1, where every result is finite.
    // Else nothing is stored or visited here, and the steps are made one by one; once level 0
    // has needed more than its first estimates, they are always made so.
    bool FirstEstimatesOverKept(std::span<const double> points) {
        if constexpr (KeepsFirstBatch &&
                      requires(double* v) { eval_.EvalFirstAgainOver(points, v); }) {
            // Where the grid of 4 subintervals is too coarse, level 0 refines every time.
            if (firstAgain_ == 0 || !overKept_ || d_.MinSub[0] > 4 || d_.LastLevel == 1 ||
                FromAhead(1))
                return false;
            const std::size_t count = points.size(), n = firstAgain_;
            const std::size_t done = eval_.EvalFirstAgainOver(points, grid_.data());
            std::array<double, 6> integrals{};
            FirstSteps inner{};
            bool agree = done == count;
            for (std::size_t k = 0; agree && k < count; ++k) {
                inner = FirstStepsOf(grid_.data() + k * n, n, firstH_);
                agree = inner.finite && std::fabs(inner.integ - inner.prev) < d_.MaxError;
                integrals[k] = inner.integ;
            }
            const FirstSteps outer = FirstStepsOf(integrals.data(), count, d_.H[1]);
            if (agree && outer.finite) {
                d_.NSub[0] = 2;
                StoreFirstSteps(0, inner, firstLast_);
                StoreFirstSteps(1, outer, points.back());
                return true;
            }
            if (done > 0) eval_.UnvisitF(done * n);
            overKept_ = false;
        }
        return false;
    }

    // The first two estimates' steps from the values of their points in the order of a batch
    // (A, B, the midpoint, the midpoint again unless it is reused, the two quarter points), where
    // H is half the level's width, in registers.
    struct FirstSteps {
        double fa, fb, prev, quarter, sum7, sum12, sum32, integ;
        bool finite;
    };
    static FirstSteps FirstStepsOf(const double* v, std::size_t count, double H) {
        FirstSteps s;
        s.fa = v[0];
        s.fb = v[1];
        const double midValue = v[2];
        s.sum12 = count == 5 ? midValue : v[3];
        s.quarter = H / 2;
        s.prev = Simpson(midValue, s.fa, s.fb, H);
        s.sum7 = s.fb + s.fa;
        s.sum32 = v[count - 1] + v[count - 2];
        s.integ = Boole(s.sum12, s.sum7, s.sum32, s.quarter);
        s.finite = std::isfinite(s.prev) & std::isfinite(s.quarter) & std::isfinite(s.sum7) &
                   std::isfinite(s.sum32) & std::isfinite(s.integ);
        return s;
    }
    // The steps stored as ComputeLevel's leave them, where last is the level's last point.
    void StoreFirstSteps(int L, const FirstSteps& s, double last) {
        d_.VarVal[L] = last;
        d_.FA[L] = s.fa;
        d_.FB[L] = s.fb;
        d_.PrevInteg[L] = s.prev;
        d_.NSub[L] *= 2;
        d_.H[L] = s.quarter;
        d_.Sum14[L] = 0;
        d_.Sum7[L] = s.sum7;
        d_.Sum12[L] = s.sum12;
        d_.Sum32[L] = s.sum32;
        d_.Integ[L] = s.integ;
    }
    // The first estimates stored from the values of their points where every result is finite.
    bool StoreFirstEstimates(int L, const double* v, std::size_t count, double H, double last) {
        const FirstSteps s = FirstStepsOf(v, count, H);
        if (s.finite) StoreFirstSteps(L, s, last);
        return s.finite;
    }

    // The first two estimates from the sums of their points' values: Simpson on 2 subintervals of
    // width h, Boole on 4 of width h.
    static double Simpson(double mid, double fa, double fb, double h) {
        return (4 * mid + fa + fb) * (h / 3);
    }
    static double Boole(double sum12, double sum7, double sum32, double h) {
        return (((12 * sum12 + 7 * sum7) + 32 * sum32) * 2) * h / 45;
    }

    // Halves the grid: the old odd points take weight 12, the old even interior points 14, and
    // only the new midpoints are evaluated.
    void Refine(int L) {
        double& H = d_.H[L];
        Stored(d_.Sum14[L], d_.Sum12[L] + d_.Sum14[L]);
        d_.Sum12[L] = d_.Sum32[L];
        d_.PrevInteg[L] = d_.Integ[L];
        const double partial = (12 * d_.Sum12[L] + 7 * d_.Sum7[L]) + 14 * d_.Sum14[L];
        Checked(partial);
        const int32_t n = d_.NSub[L];
        const double h = H, first = h / 2 + d_.LLVal[L];
        const bool ahead = WantsAhead(L);
        if (ahead) // the refinement's points
            AheadRefinement(L, first, h, static_cast<std::size_t>(n));
        Midpoints(L, first, n);
        // F(L, x) writes nothing of level L but VarVal(L) = x (the inner levels and what is
        // computed ahead write theirs only): the point and the sum are kept at hand as well.
        double x = first;
        double sum = Stored(d_.Sum32[L], F(L, first));
        for (int32_t i = 1; i < n;) {
            if (i % BatchPoints == 0) Midpoints(L, h + x, n - i);
            if (const std::size_t visited = VisitBatch(L, x, sum, n - i)) {
                i += static_cast<int32_t>(visited);
                continue;
            }
            if (const std::size_t taken = ahead ? VisitAheadRun(L, x, sum, n - i) : 0) {
                i += static_cast<int32_t>(taken);
                continue;
            }
            x = Stored(d_.VarVal[L], h + x);
            sum = Stored(d_.Sum32[L], F(L, x) + sum);
            ++i;
        }
        Stored(d_.Integ[L], ((32 * d_.Sum32[L] + partial) * H) / 45);
        Stored(H, H / 2);
        if (d_.NSub[L] >= MaxSubintervals) throw ComputationError{OverflowError};
        d_.NSub[L] *= 2;
    }

    // The value of level L at the point x, which level L visits after its SetVars unless
    // outerAssigned is false.
    double F(int L, double x, bool outerAssigned = true) {
        Stored(d_.VarVal[L], x);
        if constexpr (HasBatches)
            if (taken_ < done_) return values_[taken_++]; // x is the batch's next point
        if constexpr (HasAhead) {
            double value = 0;
            if (eval_.TakeAhead(L, x, value)) return value;
        }
        if (L == 0) return eval_.EvalF();
        ComputeLevel(outerAssigned);
        return d_.Integ[L - 1];
    }

    static constexpr bool HasAhead =
        requires(Evaluation & e, std::span<const double> p, double& v) {
        e.ComputesAhead(0);
        e.Ahead(0, p);
        e.AheadRefinement(0, 0.0, 0.0, std::size_t{0});
        e.TakeAhead(0, 0.0, v);
        e.Pending(0);
    };
    static constexpr bool HasAheadRuns =
        HasAhead && requires(Evaluation & e, std::span<double> values) {
        e.TakeAheadRun(0, 0.0, 0.0, values);
    };
    // The refinement's steps over the values computed ahead that follow one another from the next
    // point on, at once (a pass of the outermost level visits a hundred thousand of them in a
    // row, at the end of the pass, while the other threads have nothing left to do): each point
    // H on from x, the sum of the values, and the point and the sum stored as the steps one by one
    // leave them.
    std::size_t VisitAheadRun(int L, double& x, double& sum, int32_t remaining) {
        if constexpr (HasAheadRuns) {
            const double H = d_.H[L];
            const std::size_t most = std::min(ahead_.size(), static_cast<std::size_t>(remaining));
            const std::size_t count =
                eval_.TakeAheadRun(L, H + x, H, std::span(ahead_.data(), most));
            if (count == 0) return 0;
            double point = x, total = sum;
            for (std::size_t k = 0; k < count; ++k) {
                point = H + point;
                total = ahead_[k] + total;
            }
            x = d_.VarVal[L] = point;
            Stored(d_.Sum32[L], total);
            sum = total;
            return count;
        }
        return 0;
    }
    bool WantsAhead(int L) {
        if constexpr (HasAhead) return eval_.ComputesAhead(L);
        return false;
    }
    // Whether points of the level's batch about to be visited may come from ahead.
    bool FromAhead(int L) {
        if constexpr (HasAhead) return eval_.ComputesAhead(L) && eval_.Pending(L);
        return false;
    }
    void Ahead(int L, std::span<const double> points) {
        if constexpr (HasAhead) eval_.Ahead(L, points);
    }
    void AheadRefinement(int L, double first, double step, std::size_t count) {
        if constexpr (HasAhead) eval_.AheadRefinement(L, first, step, count);
    }

    // Level 0's points are evaluated in batches where the policy offers them and the level is
    // neither computed ahead nor the outermost one, whose visits the policy follows one by one.
    static constexpr bool HasBatches =
        requires(Evaluation & e, std::span<const double> xs, double* values) {
        e.EvalFMany(xs, values, true, 0.0);
        e.UnvisitF(std::size_t{0});
    };
    static constexpr std::size_t BatchPoints = 256;
    bool Batches(int L) {
        if constexpr (HasBatches) return L == 0 && L != d_.LastLevel && !WantsAhead(0);
        return false;
    }
    static constexpr bool KeepsFirstBatch =
        HasBatches && requires(Evaluation & e, std::span<const double> xs, double* values) {
        e.KeepFirstBatch(xs);
        e.EvalFirstAgain(values);
    };
    void KeepFirstBatch(double H) {
        if constexpr (KeepsFirstBatch)
            if (d_.Level == 0 && eval_.KeepFirstBatch(std::span(points_.data(), taken_))) {
                firstAgain_ = taken_;
                firstH_ = H;
                firstLast_ = points_[taken_ - 1];
            }
    }

    // The points that level 0 is about to visit, in order, as one batch, with the variables as
    // the last SetVars gave them.
    void Batch(std::span<const double> points) {
        std::copy(points.begin(), points.end(), points_.begin());
        Evaluate(points.size(), true);
    }
    // The refinement's next midpoints as a batch: from first on, H apart, at most count.
    void Midpoints(int L, double first, int32_t count) {
        if (!Batches(L)) return;
        const std::size_t n = std::min(static_cast<std::size_t>(count), BatchPoints);
        if (n != prepared_ || !SameBits(points_[0], first) || !SameBits(preparedStep_, d_.H[L])) {
            points_[0] = first;
            for (std::size_t i = 1; i < n; ++i)
                points_[i] = d_.H[L] + points_[i - 1];
        }
        // H is finite: after a point that is not finite, none is.
        Evaluate(n, false, std::isfinite(points_[n - 1]), d_.H[L]);
    }
    // The refinement's steps over the batch's values not yet visited, at once: each point H on
    // from x, the sum of the values, and the point and the sum stored as the steps one by one
    // leave them. The batch's points are finite and so are their values, so only the sum may
    // overflow: where it does, nothing is visited here and the steps one by one stop there.
    // The next batch's points are made in the same loop, so that the two chains of additions
    // overlap: the refinement's next points, or after its last batch the next refinement's first
    // ones, should it come. Midpoints takes them where they are its own points, as they are
    // unless the engine stopped within this batch.
    std::size_t VisitBatch(int L, double& x, double& sum, int32_t remaining) {
        if constexpr (HasBatches) {
            if (taken_ == done_) return 0;
            const std::size_t visited = done_ - taken_;
            const double last = points_[done_ - 1];
            double H = d_.H[L], point = last;
            std::size_t next = static_cast<std::size_t>(remaining) - visited, j = 0;
            if (next == 0) { // Refine's steps to the next refinement's first point
                H = H / 2;
                point = points_[j++] = H / 2 + d_.LLVal[L];
                next = 2 * static_cast<std::size_t>(d_.NSub[L]);
            }
            next = std::min(next, BatchPoints);
            double total = sum;
            std::size_t k = taken_;
            for (; k < done_ && j < next; ++k, ++j) {
                total = values_[k] + total;
                point = points_[j] = H + point;
            }
            for (; k < done_; ++k)
                total = values_[k] + total;
            for (; j < next; ++j)
                point = points_[j] = H + point;
            prepared_ = next;
            preparedStep_ = H;
            if (!std::isfinite(total)) return 0;
            taken_ = done_;
            x = d_.VarVal[L] = last; // Midpoints took the same steps
            sum = d_.Sum32[L] = total;
            return visited;
        }
        return 0;
    }
    // A point that is not finite ends the computation before its evaluation.
    void Evaluate(std::size_t count, bool varsSet, bool allFinite = false, double step = 0) {
        if constexpr (HasBatches) {
            std::size_t n = allFinite ? count : 0;
            while (n < count && std::isfinite(points_[n]))
                ++n;
            taken_ = done_ = prepared_ = 0;
            if (n > 0)
                done_ =
                    eval_.EvalFMany(std::span(points_.data(), n), values_.data(), varsSet, step);
        }
    }
    // The computation ends: the batch's points not visited were not evaluated.
    void Unvisit() {
        if constexpr (HasBatches)
            if (taken_ < done_) eval_.UnvisitF(done_ - taken_);
        taken_ = done_ = 0;
    }

    void SetInnerVars(int L) {
        if constexpr (requires { eval_.SetInnerVars(L); })
            eval_.SetInnerVars(L);
        else
            eval_.SetVars();
    }

    bool MidpointReusable(int L) {
        if constexpr (requires { eval_.MidpointReusable(L); }) return eval_.MidpointReusable(L);
        return false;
    }

    static bool SameBits(double a, double b) {
        return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
    }
    static void Checked(double value) {
        if (!std::isfinite(value)) throw ComputationError{OverflowError};
    }
    // A stored result that overflowed or is not a number ends the computation.
    static double Stored(double& target, double value) {
        target = value;
        Checked(value);
        return value;
    }

    Dimension& d_;
    Evaluation& eval_;
    // The batch: its points, the values of the first done_ of them, taken_ of them visited; or,
    // once prepared_ is set, prepared_ points preparedStep_ apart from that step on after the
    // last point done.
    std::array<double, BatchPoints> points_, values_;
    std::size_t taken_ = 0, done_ = 0, prepared_ = 0;
    double preparedStep_ = 0;
    std::array<double, BatchPoints> ahead_; // the values of VisitAheadRun
    // The count of level 0's first batch's points where the policy keeps them
    // (FirstEstimatesAgain), half the level's width then and the last point.
    std::size_t firstAgain_ = 0;
    double firstH_ = 0, firstLast_ = 0;
    // Level 0's values at level 1's points for FirstEstimatesOverKept, and whether it is tried.
    std::array<double, 36> grid_;
    bool overKept_ = true;
};

} // namespace vantrel
