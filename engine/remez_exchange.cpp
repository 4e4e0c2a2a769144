// The equiripple exchange in the form of the published McClellan-Parks-Rabiner program: a dense
// grid over the bands, a reference set of nfcns + 1 grid points, and iterations that solve for the
// equiripple deviation on the reference set and move each reference point to the local extreme of
// the weighted error, until the set no longer changes; then the coefficients from samples of the
// final interpolant.
#include "engine/remez_exchange.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/error_search.h"
#include "engine/exchange_kernels.h"

namespace ondela {

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr int kMaxIterations = 64;
// A sample of the final interpolant takes a reference point's ordinate only when its cosine is
// that point's abscissa to within a few units in the last place. A wider tolerance would be
// wrong: near 0 and near half the sampling rate the abscissae of long filters lie closer together
// than any fixed tolerance, and a small step in cosine is a large step in frequency there, so a
// sample would take the value of a neighbouring point. Everywhere else the interpolant is
// evaluated, which is exact at the reference points and stable next to them.
constexpr double kSnap = 4.0 * std::numeric_limits<double>::epsilon();

constexpr int kLanes = kExchangeLanes;

// A level the search compares: an error of the current iteration times the sign `sign`, or a
// level scaled `scaled` times by 1.00001, or an exact value (point 0). value is within bound of
// the exact level; bound 0 means it is exact.
struct Level {
    double value = 0.0;
    double bound = 0.0;
    int point = 0;
    int sign = 0;
    int scaled = 0;
};

// The extremal search of one exchange iteration. Moves every reference point to the local
// extreme of the weighted error with the expected sign, then tries to add an extreme below the
// first or above the last reference point. Returns true when the reference set changed.
class ExtremalSearch {
  public:
    ExtremalSearch(DesignWork& w, int nu) : w_(w), startSign_(nu) {}

    bool Run() {
        int* iext = w_.iext.data();
        const int nz = w_.nz;
        const int nzz = nz + 1;
        firstIndex_ = iext[1];
        lastIndex_ = iext[nz];
        lower_ = 0;
        sign_ = -startSign_;
        point_ = 1;
        for (;;) {
            if (point_ == nzz) lastLevel_ = toBeat_;
            if (point_ >= nzz) {
                const Next next = EndPhase();
                if (next == Next::Search) continue;
                return next == Next::Changed || changes_ > 0;
            }
            upper_ = iext[point_ + 1];
            int l = iext[point_] + 1;
            sign_ = -sign_;
            if (point_ == 2) firstLevel_ = toBeat_;
            toBeat_ = Level{w_.dev};
            if (l < upper_ && Beats(l, 1)) {
                UpSearchFrom(l);
                continue;
            }
            // Down-search from below the current point.
            bool moved = false;
            bool stopped = false;
            for (l = iext[point_] - 1; l > lower_; --l) {
                if (Beats(l, -1)) {
                    DownSearchFrom(l);
                    moved = true;
                    break;
                }
                if (changes_ > 0) {
                    stopped = true;
                    break;
                }
            }
            if (moved) continue;
            if (!stopped) {
                l = iext[point_] + 1;
                if (changes_ > 0) {
                    // The point stays where it is.
                    iext[point_] = l - 1;
                    lower_ = l - 1;
                    ++changes_;
                    ++point_;
                    continue;
                }
                for (++l; l < upper_; ++l) {
                    if (Beats(l, 1)) {
                        UpSearchFrom(l);
                        moved = true;
                        break;
                    }
                }
                if (moved) continue;
            }
            lower_ = iext[point_];
            ++point_;
        }
    }

  private:
    enum class Next { Search, Changed, Converge };

    // step: the direction in which the search moves on from l.
    bool Beats(int l, int step) {
        const double err = ErrorAt(w_, l, step);
        candidate_ = Level{sign_ * err, w_.search.errorBound[l], l, sign_, 0};
        return Exceeds(candidate_, toBeat_);
    }

    // a - b > 0 for the exact levels (for doubles the same as a > b), decided on the approximate
    // ones where their bounds allow.
    bool Exceeds(Level& a, Level& b) {
        if (a.bound != 0.0 || b.bound != 0.0) {
            const double diff = a.value - b.value;
            const double tol = (a.bound + b.bound) * (1.0 + 1e-9);
            if (std::isfinite(diff) && std::isfinite(tol)) {
                if (diff > tol) return true;
                if (diff < -tol) return false;
            }
            Resolve(a);
            Resolve(b);
        }
        return a.value - b.value > 0.0;
    }

    // Replaces an approximate level by the exact one, computed as the exact search computes it.
    void Resolve(Level& level) {
        if (level.bound == 0.0) return;
        double v = level.sign * ExactErrorAt(w_, level.point);
        for (int i = 0; i < level.scaled; ++i) v = v * 1.00001;
        level = Level{v};
    }

    static Level Scaled(const Level& level) {
        Level s = level;
        s.value = level.value * 1.00001;
        if (level.bound != 0.0) {
            s.bound = (level.bound * 1.00002 + 4.5e-16 * std::fabs(s.value)) * (1.0 + 1e-9);
            ++s.scaled;
        }
        return s;
    }

    // l beats comp: climb while the next point beats it too; the top becomes reference point j.
    void UpSearchFrom(int l) {
        toBeat_ = candidate_;
        while (l + 1 < upper_ && Beats(l + 1, 1)) {
            ++l;
            toBeat_ = candidate_;
        }
        w_.iext[point_] = l;
        lower_ = l;
        ++changes_;
        ++point_;
    }

    // l beats comp: descend while the next lower point beats it too.
    void DownSearchFrom(int l) {
        toBeat_ = candidate_;
        while (l - 1 > lower_ && Beats(l - 1, -1)) {
            --l;
            toBeat_ = candidate_;
        }
        lower_ = w_.iext[point_];
        w_.iext[point_] = l;
        ++changes_;
        ++point_;
    }

    Next EndPhase() {
        int* iext = w_.iext.data();
        const int nz = w_.nz;
        const int nzz = nz + 1;
        if (point_ == nzz) {
            // Every reference point has been visited: look for a larger extreme below the first.
            if (iext[1] < firstIndex_) firstIndex_ = iext[1];
            if (iext[nz] > lastIndex_) lastIndex_ = iext[nz];
            savedSign_ = sign_;
            sign_ = -startSign_;
            toBeat_ = Scaled(lastLevel_);
            extremeAbove_ = false;
            upper_ = firstIndex_;
            for (int l = 1; l < firstIndex_; ++l) {
                if (Beats(l, 1)) {
                    extremeBelow_ = true;
                    point_ = nzz;
                    UpSearchFrom(l);
                    return Next::Search;
                }
            }
            extremeBelow_ = false;
        } else {
            if (extremeAbove_) {
                // An extreme above the last point was found: drop the first point.
                const int kn = iext[nzz];
                for (int j = 1; j <= w_.nfcns; ++j) iext[j] = iext[j + 1];
                iext[nz] = kn;
                return Next::Changed;
            }
            if (Exceeds(toBeat_, firstLevel_)) firstLevel_ = toBeat_;
            firstIndex_ = iext[nzz];
        }
        // Look for a larger extreme above the last reference point.
        lower_ = lastIndex_;
        sign_ = -savedSign_;
        toBeat_ = Scaled(firstLevel_);
        for (int l = w_.ngrid; l > lower_; --l) {
            if (Beats(l, -1)) {
                point_ = nzz;
                extremeAbove_ = true;
                DownSearchFrom(l);
                return Next::Search;
            }
        }
        if (!extremeBelow_) return Next::Converge;
        // An extreme below the first point was found: drop the last point.
        for (int j = 1; j <= w_.nfcns; ++j) iext[nzz - j] = iext[nz - j];
        iext[1] = firstIndex_;
        return Next::Changed;
    }

    // The published program's names of each member in brackets.
    DesignWork& w_;
    const int startSign_;  // (nu) the sign the error is searched with at the first point, -1 or 1
    int sign_ = 0;         // (nut) the sign of the point being moved: sign_ times the error peaks
    int savedSign_ = 0;    // (nut1) sign_ when the search below the first point began
    int point_ = 1;        // (j) the reference point being moved, 1..nz + 1
    int lower_ = 0;        // (klow) the grid index the search stays above
    int upper_ = 0;        // (kup) the grid index the search stays below
    int firstIndex_ = 0;   // (k1) the lowest grid index a first reference point had, then the
                           // extreme found below it
    int lastIndex_ = 0;    // (knz) the highest grid index a last reference point had
    int changes_ = 0;      // (jchnge) reference points moved in this iteration
    // (luck) an extreme was found below the first reference point, or above the last one.
    bool extremeBelow_ = false;
    bool extremeAbove_ = false;
    Level toBeat_;      // (comp) the level a candidate must exceed
    Level candidate_;   // sign_ times the error at the point Beats examined last
    Level firstLevel_;  // (y1) the level the first reference point reached
    Level lastLevel_;   // (ynz) the level the last reference point reached
};

// Samples the final interpolant at the nfcns frequencies (j-1)/cn and turns them into the
// cosine coefficients by an inverse DFT.
void CoefficientStep(DesignWork& w) {
    const int nfcns = w.nfcns;
    const int cn = 2 * nfcns - 1;
    w.x[w.nz + 1] = -2.0;  // sentinel: every cosine lies above it
    for (int m = 0; m < cn; ++m) w.cosTable[m] = std::cos(kTwoPi * m / cn);

    // Samples off the reference points are interpolated kLanes at a time.
    int pending[kLanes];
    double pendingCos[kLanes];
    int pendingCount = 0;
    auto interpolatePending = [&] {
        double value[kLanes];
        for (int i = pendingCount; i < kLanes; ++i) pendingCos[i] = pendingCos[0];
        InterpolantLanes(w, pendingCos, value);
        for (int i = 0; i < pendingCount; ++i) w.a[pending[i]] = value[i];
        pendingCount = 0;
    };
    int l = 1;
    for (int j = 1; j <= nfcns; ++j) {
        const double xt = w.cosTable[j - 1];
        while (!(xt > w.x[l]) && !(w.x[l] - xt < kSnap)) ++l;
        if (std::fabs(xt - w.x[l]) < kSnap) {
            w.a[j] = w.y[l];
        } else {
            pending[pendingCount] = j;
            pendingCos[pendingCount] = xt;
            if (++pendingCount == kLanes) interpolatePending();
        }
        if (l > 1) --l;
    }
    if (pendingCount > 0) interpolatePending();

    // alpha(j) for kLanes values of j side by side: each sum still runs over k in order, but the
    // independent sums no longer wait for one another.
    for (int j0 = 1; j0 <= nfcns; j0 += kLanes) {
        double sum[kLanes] = {};
        int index[kLanes] = {};
        int step[kLanes];
        for (int i = 0; i < kLanes; ++i) step[i] = j0 + i <= nfcns ? j0 + i - 1 : 0;
        for (int k = 1; k < nfcns; ++k) {
            const double ak = w.a[k + 1];
            for (int i = 0; i < kLanes; ++i) {
                index[i] += step[i];
                if (index[i] >= cn) index[i] -= cn;
                sum[i] += ak * w.cosTable[index[i]];
            }
        }
        for (int i = 0; i < kLanes && j0 + i <= nfcns; ++i) w.alpha[j0 + i] = w.a[1] + 2.0 * sum[i];
    }
    w.alpha[1] /= cn;
    for (int j = 2; j <= nfcns; ++j) w.alpha[j] = 2.0 * w.alpha[j] / cn;
    if (nfcns <= 3) {
        w.alpha[nfcns + 1] = 0.0;
        w.alpha[nfcns + 2] = 0.0;
    }
}

}  // namespace

int BuildGrid(DesignWork& w, int nfcns, int density, int capacity) {
    const double delta = 0.5 / (static_cast<double>(density) * nfcns);
    int j = 1;
    w.grid[1] = w.edge[1];
    for (int l = 1; l <= w.nbands; ++l) {
        const double upper = w.edge[2 * l];
        do {
            w.des[j] = w.fx[l];
            w.wt[j] = w.wtx[l];
            ++j;
            if (j > capacity) return GRID_OVERFLOW;
            w.grid[j] = w.grid[j - 1] + delta;
        } while (w.grid[j] <= upper);
        w.grid[j - 1] = upper;
        if (l < w.nbands) w.grid[j] = w.edge[2 * l + 1];
    }
    w.ngrid = j - 1;
    // The reference set needs nfcns + 1 distinct grid points.
    if (w.ngrid <= nfcns) return GRID_OVERFLOW;
    for (int k = 1; k <= w.ngrid; ++k) w.gridCos[k] = std::cos(kTwoPi * w.grid[k]);
    return 0;
}

void InitialExtremals(DesignWork& w) {
    const long long span = w.ngrid - 1;
    for (int j = 1; j <= w.nfcns; ++j) {
        w.iext[j] = static_cast<int>((j - 1) * span / w.nfcns) + 1;
    }
    w.iext[w.nz] = w.ngrid;
}

bool CarriedExtremals(DesignWork& w) {
    const int nz = w.nz;
    const int m = w.carriedCount;
    if (m < 2 || nz < 2) return false;
    const double* grid = w.grid.data();
    int previous = 0;
    for (int j = 1; j <= nz; ++j) {
        // The j-th of nz points sits at the same rank among the carried m points.
        double f;
        if (m == nz) {
            f = w.carried[j];
        } else {
            const double position = 1.0 + static_cast<double>(j - 1) * (m - 1) / (nz - 1);
            const int i = std::min(static_cast<int>(position), m - 1);
            const double t = position - i;
            f = w.carried[i] * (1.0 - t) + w.carried[i + 1] * t;
        }
        // The nearest grid point, kept above the previous reference point with room for the rest.
        int k = static_cast<int>(std::lower_bound(grid + 1, grid + w.ngrid + 1, f) - grid);
        if (k > w.ngrid) k = w.ngrid;
        if (k > 1 && f - grid[k - 1] < grid[k] - f) --k;
        if (k <= previous) k = previous + 1;
        if (k > w.ngrid - (nz - j)) return false;
        w.iext[j] = k;
        previous = k;
    }
    return true;
}

void CarryExtremals(DesignWork& w) {
    w.carriedCount = w.nz;
    for (int j = 1; j <= w.nz; ++j) w.carried[j] = w.grid[w.iext[j]];
}

int RemezExchange(DesignWork& w) {
    int status = 0;
    const int nz = w.nz;
    const int jet = (w.nfcns - 1) / 15 + 1;
    double devl = -1.0;
    w.search.sampledBound = 0.0;
    for (int iteration = 1;; ++iteration) {
        w.iext[nz + 1] = w.ngrid + 1;
        if (iteration > kMaxIterations) {
            status |= NOT_OPTIMIZED;
            break;
        }
        for (int j = 1; j <= nz; ++j) w.x[j] = w.gridCos[w.iext[j]];
        w.xFalling = true;
        for (int j = 1; j < nz; ++j) w.xFalling = w.xFalling && w.x[j] > w.x[j + 1];
        for (int j = 1; j <= nz; j += kWeightBlock) BarycentricWeightLanes(w, j, jet);

        double dnum = 0.0;
        double dden = 0.0;
        double sign = 1.0;
        for (int j = 1; j <= nz; ++j) {
            const int k = w.iext[j];
            dnum += w.ad[j] * w.des[k];
            dden += sign * w.ad[j] / w.wt[k];
            sign = -sign;
        }
        double dev = dnum / dden;
        const int nu = dev > 0.0 ? -1 : 1;
        dev = -nu * dev;
        w.dev = dev;
        sign = nu;
        for (int j = 1; j <= nz; ++j) {
            const int k = w.iext[j];
            w.y[j] = w.des[k] + sign * dev / w.wt[k];
            sign = -sign;
        }
        if (dev <= devl) status |= DEVIATION_STALLED;
        devl = dev;

        PrepareSearch(w);
        NewErrorStamp(w);
        PrecomputeErrors(w, nu);
        ExtremalSearch search(w, nu);
        if (!search.Run()) break;
    }
    CoefficientStep(w);
    return status;
}

void ImpulseFromCosines(DesignWork& w) {
    for (int j = 1; j < w.nfcns; ++j) w.h[j] = 0.5 * w.alpha[w.nz - j];
    w.h[w.nfcns] = w.alpha[1];
}

void MakeHalfBandTaps(DesignWork& w) {
    const int nfcns = w.nfcns;
    w.h[nfcns] = 0.5;
    for (int l = 2; l <= nfcns - 2; l += 2) w.h[l] = 0.0;
    double s = 0.0;
    for (int l = 1; l <= nfcns; ++l) s += w.h[l];
    const double add = (0.75 - s) / (nfcns / 2);
    for (int l = 1; l <= nfcns - 1; l += 2) w.h[l] += add;
}

void WriteSymmetricCoefs(const DesignWork& w, double* coefs) {
    const int nfcns = w.nfcns;
    const int n = 2 * nfcns - 1;
    for (int j = 1; j <= nfcns; ++j) {
        coefs[j - 1] = w.h[j];
        coefs[n - j] = w.h[j];
    }
}

}  // namespace ondela
