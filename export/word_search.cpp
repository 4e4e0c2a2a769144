#include "export/word_search.h"

#include <fplll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <random>

#include "export/fixed_point.h"

namespace ondela {

namespace {

using Clock = std::chrono::steady_clock;

// Grid points per tap, both while searching and for the reported error: the search lowers the
// error that is reported.
constexpr int kSearchDensity = 32;
constexpr int kMeasureDensity = kSearchDensity;
// Pairs of moves are tried while there are no more directions than this.
constexpr std::size_t kPairLimit = 320;
// The kicks after the descents: about kKickWork / (half taps) of them, at least kMinKicks.
constexpr int kKickWork = 4000;
constexpr int kMinKicks = 20;
// Words other than rounding's are kept only when they beat it by this fraction on the measuring
// grid, so that a finer measurement cannot reverse the order.
constexpr double kKeepMargin = 1e-3;
// Above this many grid values (points × half taps) the basis is computed per column, not stored.
constexpr std::size_t kStoredBasisLimit = std::size_t{8} << 20;

// The half of a symmetric filter of n taps: unknown j (0..c, c = (n-1)/2) is tap j and tap
// n-1-j, whose share of the amplitude at angular frequency w is (j == c ? 1 : 2) cos((c - j) w).
struct HalfFilter {
    int taps = 0;
    int unknowns = 0;
    double centre = 0.0;
    double Basis(double w, int j) const {
        const double k = centre - j;
        return k == 0.0 ? 1.0 : 2.0 * std::cos(k * w);
    }
};

HalfFilter MakeHalf(int taps) {
    return {taps, (taps + 1) / 2, (taps - 1) / 2.0};
}

// The bands sampled: each band evenly from edge to edge, both included.
struct Grid {
    std::vector<double> w;  // angular frequency, radians per sample
    std::vector<double> desired;
    std::vector<double> weight;
    std::vector<double> basis;           // point-major, unknowns per point, when stored
    std::vector<std::size_t> bandFirst;  // the first point of each band, then the point count
    bool stored = false;
    HalfFilter half;

    std::size_t Size() const { return w.size(); }
    // Column j of the basis: every point's share of unknown j.
    void Column(int j, std::vector<double>& out) const {
        out.resize(Size());
        const std::size_t m = half.unknowns;
        for (std::size_t g = 0; g < Size(); ++g) {
            out[g] = stored ? basis[g * m + j] : half.Basis(w[g], j);
        }
    }
};

Grid MakeGrid(const HalfFilter& half, std::span<const WordBand> bands, int density,
              bool storeBasis) {
    Grid grid;
    grid.half = half;
    const double step = 0.5 / (static_cast<double>(density) * half.taps);
    for (const WordBand& band : bands) {
        grid.bandFirst.push_back(grid.w.size());
        const int intervals =
            std::max(4, static_cast<int>(std::ceil((band.upper - band.lower) / step)));
        for (int i = 0; i <= intervals; ++i) {
            const double f = band.lower + (band.upper - band.lower) * i / intervals;
            grid.w.push_back(2.0 * std::numbers::pi * f);
            grid.desired.push_back(band.desired);
            grid.weight.push_back(band.weight);
        }
    }
    grid.bandFirst.push_back(grid.w.size());
    const std::size_t m = half.unknowns;
    grid.stored = storeBasis && grid.Size() * m <= kStoredBasisLimit;
    if (grid.stored) {
        grid.basis.resize(grid.Size() * m);
        for (std::size_t g = 0; g < grid.Size(); ++g) {
            for (std::size_t j = 0; j < m; ++j) grid.basis[g * m + j] = half.Basis(grid.w[g], j);
        }
    }
    return grid;
}

// The amplitude at every grid point of real half coefficients.
std::vector<double> Amplitude(const Grid& grid, std::span<const double> half) {
    std::vector<double> a(grid.Size(), 0.0);
    std::vector<double> column;
    for (int j = 0; j < grid.half.unknowns; ++j) {
        if (half[j] == 0.0) continue;
        grid.Column(j, column);
        for (std::size_t g = 0; g < a.size(); ++g) a[g] += half[j] * column[g];
    }
    return a;
}

double MaxError(const Grid& grid, const std::vector<double>& amplitude) {
    double worst = 0.0;
    for (std::size_t g = 0; g < amplitude.size(); ++g) {
        worst = std::max(worst, std::abs(grid.weight[g] * (amplitude[g] - grid.desired[g])));
    }
    return worst;
}

std::vector<double> WordValues(std::span<const int64_t> words, int fracBits) {
    std::vector<double> v;
    v.reserve(words.size());
    for (const int64_t q : words) v.push_back(std::ldexp(static_cast<double>(q), -fracBits));
    return v;
}

// A move of the words: an integer step and what it adds to the amplitude on the search grid.
struct Direction {
    std::vector<int64_t> step;
    std::vector<double> amplitude;
};

// The words and their amplitude on the search grid, lowered by moves along directions (one
// direction or the sum of two, either sign) while the true error falls.
struct Descent {
    const Grid* grid;
    int64_t lo;
    int64_t hi;
    std::vector<int64_t> words;
    std::vector<double> amplitude;
    double error = 0.0;
    // The points whose error lies near the peak: a move that does not lower them all is
    // rejected before the rest of the grid is looked at.
    std::vector<std::size_t> hot;

    struct Move {
        const Direction* a = nullptr;
        int sa = 0;
        const Direction* b = nullptr;
        int sb = 0;
        double Step(std::size_t j) const {
            return sa * static_cast<double>(a->step[j]) +
                   (b ? sb * static_cast<double>(b->step[j]) : 0.0);
        }
        double Add(std::size_t i) const {
            return sa * a->amplitude[i] + (b ? sb * b->amplitude[i] : 0.0);
        }
    };

    double PointError(std::size_t i, double added) const {
        return std::abs(grid->weight[i] * (amplitude[i] + added - grid->desired[i]));
    }
    void FindHot() {
        hot.clear();
        for (std::size_t i = 0; i < amplitude.size(); ++i) {
            if (PointError(i, 0.0) >= 0.9 * error) hot.push_back(i);
        }
    }
    // The error after the move, or a value no lower than now when it does not lower it.
    double ErrorAfter(const Move& move) const {
        for (const std::size_t i : hot) {
            if (PointError(i, move.Add(i)) >= error) return error;
        }
        double worst = 0.0;
        for (std::size_t i = 0; i < amplitude.size(); ++i) {
            const double e = PointError(i, move.Add(i));
            if (e >= error) return e;
            worst = std::max(worst, e);
        }
        return worst;
    }
    bool Fits(const Move& move) const {
        for (std::size_t j = 0; j < words.size(); ++j) {
            const double q = static_cast<double>(words[j]) + move.Step(j);
            if (q < static_cast<double>(lo) || q > static_cast<double>(hi)) return false;
        }
        return true;
    }
    void Apply(const Move& move, double newError) {
        for (std::size_t j = 0; j < words.size(); ++j) {
            words[j] += static_cast<int64_t>(move.Step(j));
        }
        for (std::size_t i = 0; i < amplitude.size(); ++i) amplitude[i] += move.Add(i);
        error = newError;
        FindHot();
    }
    // Takes the move whatever it does to the error.
    void Force(const Move& move) {
        for (std::size_t j = 0; j < words.size(); ++j) {
            words[j] += static_cast<int64_t>(move.Step(j));
        }
        for (std::size_t i = 0; i < amplitude.size(); ++i) amplitude[i] += move.Add(i);
        error = 0.0;
        for (std::size_t i = 0; i < amplitude.size(); ++i) {
            error = std::max(error, PointError(i, 0.0));
        }
        FindHot();
    }
    bool TryMove(const Move& move) {
        const double e = ErrorAfter(move);
        if (!(e < error) || !Fits(move)) return false;
        Apply(move, e);
        return true;
    }
    // One sweep of single moves, and when none lowers the error one of pairs (while there are
    // no more than pairLimit directions); whether any move was taken.
    bool Sweep(const std::vector<Direction>& directions, std::size_t pairLimit,
               Clock::time_point deadline) {
        bool moved = false;
        for (const Direction& d : directions) {
            for (const int sign : {1, -1}) moved |= TryMove({&d, sign, nullptr, 0});
        }
        if (moved || directions.size() > pairLimit) return moved;
        for (std::size_t p = 0; p < directions.size(); ++p) {
            if (Clock::now() >= deadline) return moved;
            for (std::size_t q = p + 1; q < directions.size(); ++q) {
                for (const int sp : {1, -1}) {
                    for (const int sq : {1, -1}) {
                        moved |= TryMove({&directions[p], sp, &directions[q], sq});
                    }
                }
            }
        }
        return moved;
    }
    void Run(const std::vector<Direction>& directions, std::size_t pairLimit,
             Clock::time_point deadline) {
        FindHot();
        while (Clock::now() < deadline && Sweep(directions, pairLimit, deadline)) {
        }
    }
};

Descent StartDescent(const Grid& grid, std::vector<int64_t> words, int fracBits, int64_t lo,
                     int64_t hi) {
    Descent d{&grid, lo, hi, std::move(words), {}, 0.0, {}};
    d.amplitude = Amplitude(grid, WordValues(d.words, fracBits));
    d.error = MaxError(grid, d.amplitude);
    return d;
}

// Kicks out of a point where no single or paired move lowers the error: from the best words, one
// to three words moved by one LSB at random and the descent run again, a fixed number of times
// (the same sequence every time, so the same words result unless the deadline cuts it short);
// lower words replace the best.
void Kick(Descent& best, const std::vector<Direction>& singles, Clock::time_point deadline) {
    std::mt19937 random(20181005);
    std::uniform_int_distribution<std::size_t> which(0, singles.size() - 1);
    std::uniform_int_distribution<int> count(1, 3);
    const int kicks = std::max(kMinKicks, kKickWork / static_cast<int>(singles.size()));
    for (int k = 0; k < kicks && Clock::now() < deadline; ++k) {
        Descent trial = best;
        for (int c = count(random); c > 0; --c) {
            const Descent::Move move{&singles[which(random)], random() % 2 ? 1 : -1, nullptr, 0};
            if (trial.Fits(move)) trial.Force(move);
        }
        trial.Run(singles, kPairLimit, deadline);
        if (trial.error < best.error) best = std::move(trial);
    }
}

// One word more or less: the moves of the plain local search.
std::vector<Direction> SingleWordMoves(const Grid& grid, int fracBits) {
    const int m = grid.half.unknowns;
    std::vector<Direction> moves(m);
    const double lsb = std::ldexp(1.0, -fracBits);
    for (int j = 0; j < m; ++j) {
        moves[j].step.assign(m, 0);
        moves[j].step[j] = 1;
        grid.Column(j, moves[j].amplitude);
        for (double& a : moves[j].amplitude) a *= lsb;
    }
    return moves;
}

// The move of a whole-number combination of single words.
Direction Combined(std::vector<int64_t> step, const std::vector<Direction>& singles) {
    Direction d{std::move(step), std::vector<double>(singles.front().amplitude.size(), 0.0)};
    for (std::size_t j = 0; j < d.step.size(); ++j) {
        if (d.step[j] == 0) continue;
        const double times = static_cast<double>(d.step[j]);
        const std::vector<double>& column = singles[j].amplitude;
        for (std::size_t g = 0; g < column.size(); ++g) d.amplitude[g] += times * column[g];
    }
    return d;
}

// Nodes in the bands: count points spread over the bands in proportion to their widths, in each
// band at Chebyshev points of the second kind (denser toward the edges, where the error peaks).
std::vector<std::size_t> ChebyshevNodes(const Grid& grid, std::span<const WordBand> bands,
                                        int count) {
    double total = 0.0;
    for (const WordBand& b : bands) total += b.upper - b.lower;
    std::vector<std::size_t> nodes;
    int left = count;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const WordBand& band = bands[b];
        const std::size_t first = grid.bandFirst[b];
        const std::size_t points = grid.bandFirst[b + 1] - first;
        const int share =
            b + 1 == bands.size()
                ? left
                : std::max(1, static_cast<int>(std::lround(count * (band.upper - band.lower) /
                                                           (total > 0 ? total : 1.0))));
        const int k = std::min(share, left);
        left -= k;
        for (int i = 0; i < k; ++i) {
            const double x = k == 1 ? 0.5 : 0.5 - 0.5 * std::cos(std::numbers::pi * i / (k - 1));
            nodes.push_back(first + std::min(points - 1, static_cast<std::size_t>(
                                                             std::lround(x * (points - 1)))));
        }
    }
    std::sort(nodes.begin(), nodes.end());
    nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
    return nodes;
}

// The extremal points of the real filter's weighted error on the grid (its local peaks of
// magnitude, the band edges among them): where a minimax filter's error alternates.
std::vector<std::size_t> ExtremalNodes(const Grid& grid, const std::vector<double>& amplitude) {
    std::vector<double> e(grid.Size());
    for (std::size_t g = 0; g < e.size(); ++g) {
        e[g] = std::abs(grid.weight[g] * (amplitude[g] - grid.desired[g]));
    }
    std::vector<std::size_t> nodes;
    for (std::size_t b = 0; b + 1 < grid.bandFirst.size(); ++b) {
        const std::size_t first = grid.bandFirst[b];
        const std::size_t last = grid.bandFirst[b + 1] - 1;
        for (std::size_t g = first; g <= last; ++g) {
            const bool bandStart = g == first;
            const bool bandEnd = g == last;
            const bool aboveLeft = bandStart || e[g] >= e[g - 1];
            const bool aboveRight = bandEnd || e[g] > e[g + 1];
            if (aboveLeft && aboveRight) nodes.push_back(g);
        }
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

// The words the lattice gives for one node set: the weighted amplitude of the words at the
// nodes is a point of the lattice spanned by the scaled basis rows; the LLL-reduced basis and
// Babai's nearest plane give one close to the real filter's weighted amplitude there. The
// reduced basis vectors, as word steps, are returned as moves for the descent.
std::vector<int64_t> LatticeWords(const Grid& grid, const std::vector<std::size_t>& nodes,
                                  std::span<const double> half, int fracBits, int64_t lo,
                                  int64_t hi, std::vector<std::vector<int64_t>>& reducedSteps) {
    const int m = grid.half.unknowns;
    const int k = static_cast<int>(nodes.size());
    const double lsb = std::ldexp(1.0, -fracBits);
    std::vector<double> rows(static_cast<std::size_t>(m) * k);
    std::vector<double> target(k, 0.0);
    double largest = 0.0;
    for (int i = 0; i < k; ++i) {
        const std::size_t g = nodes[i];
        for (int j = 0; j < m; ++j) {
            const double b = grid.half.Basis(grid.w[g], j) * grid.weight[g];
            rows[static_cast<std::size_t>(j) * k + i] = b * lsb;
            target[i] += b * half[j];
            largest = std::max(largest, std::abs(b * lsb));
        }
    }
    // Integer entries of about 2^40: the rows' rounding to integers is far below one LSB's share.
    const double scale = std::ldexp(1.0, 40) / largest;
    fplll::ZZ_mat<mpz_t> basis(m, k);
    for (int j = 0; j < m; ++j) {
        for (int i = 0; i < k; ++i) {
            basis[j][i] =
                static_cast<long>(std::llround(rows[static_cast<std::size_t>(j) * k + i] * scale));
        }
    }
    fplll::ZZ_mat<mpz_t> u;
    u.gen_identity(m);
    fplll::lll_reduction(basis, u, 0.99, 0.51);

    // Gram-Schmidt of the reduced rows (those that are not zero), in doubles.
    std::vector<std::vector<double>> b(m, std::vector<double>(k));
    for (int j = 0; j < m; ++j) {
        for (int i = 0; i < k; ++i) b[j][i] = basis[j][i].get_d();
    }
    std::vector<std::vector<double>> star = b;
    std::vector<double> norm2(m, 0.0);
    for (int j = 0; j < m; ++j) {
        for (int p = 0; p < j; ++p) {
            if (norm2[p] == 0.0) continue;
            double dot = 0.0;
            for (int i = 0; i < k; ++i) dot += b[j][i] * star[p][i];
            const double mu = dot / norm2[p];
            for (int i = 0; i < k; ++i) star[j][i] -= mu * star[p][i];
        }
        for (int i = 0; i < k; ++i) norm2[j] += star[j][i] * star[j][i];
    }
    // Nearest plane: from the last reduced vector down, the nearest whole multiple.
    std::vector<double> t(k);
    for (int i = 0; i < k; ++i) t[i] = target[i] * scale;
    std::vector<double> coef(m, 0.0);
    for (int j = m - 1; j >= 0; --j) {
        if (norm2[j] == 0.0) continue;
        double dot = 0.0;
        for (int i = 0; i < k; ++i) dot += t[i] * star[j][i];
        const double c = std::round(dot / norm2[j]);
        coef[j] = c;
        for (int i = 0; i < k; ++i) t[i] -= c * b[j][i];
    }
    // The words, clipped to the word; a step too large for any word is kept at a size that
    // cannot fit, never beyond what the integers hold.
    constexpr double kHuge = 0x1p40;
    std::vector<double> sum(m, 0.0);
    reducedSteps.assign(m, std::vector<int64_t>(m, 0));
    for (int r = 0; r < m; ++r) {
        for (int j = 0; j < m; ++j) {
            const double uj = u[r][j].get_d();
            reducedSteps[r][j] = static_cast<int64_t>(std::clamp(uj, -kHuge, kHuge));
            sum[j] += coef[r] * uj;
        }
    }
    std::vector<int64_t> words(m);
    for (int j = 0; j < m; ++j) {
        words[j] = static_cast<int64_t>(
            std::clamp(std::round(sum[j]), static_cast<double>(lo), static_cast<double>(hi)));
    }
    return words;
}

std::vector<int32_t> FullWords(const std::vector<int64_t>& half, int taps) {
    std::vector<int32_t> words(taps);
    for (int n = 0; n < taps; ++n) {
        words[n] = static_cast<int32_t>(half[std::min(n, taps - 1 - n)]);
    }
    return words;
}

}  // namespace

double WordsDeviation(std::span<const int32_t> words, int fracBits,
                      std::span<const WordBand> bands) {
    const HalfFilter half = MakeHalf(static_cast<int>(words.size()));
    const Grid grid = MakeGrid(half, bands, kMeasureDensity, false);
    std::vector<int64_t> halfWords(half.unknowns);
    for (int j = 0; j < half.unknowns; ++j) halfWords[j] = words[j];
    return MaxError(grid, Amplitude(grid, WordValues(halfWords, fracBits)));
}

WordSearchResult SearchWords(std::span<const double> taps, std::span<const WordBand> bands,
                             int wordBits, int fracBits, double budgetSeconds) {
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(std::max(0.0, budgetSeconds)));
    const int n = static_cast<int>(taps.size());
    const HalfFilter half = MakeHalf(n);
    const int m = half.unknowns;
    std::vector<double> realHalf(m);
    for (int j = 0; j < m; ++j) realHalf[j] = 0.5 * (taps[j] + taps[n - 1 - j]);

    const FixedPointFormat format{wordBits, fracBits, Rounding::Nearest};
    std::vector<int64_t> rounded(m);
    for (int j = 0; j < m; ++j) rounded[j] = QuantiseValue(realHalf[j], format);
    const int64_t lo = WordMin(wordBits);
    const int64_t hi = WordMax(wordBits);

    WordSearchResult result;
    result.values = FullWords(rounded, n);
    result.roundedDeviation = WordsDeviation(result.values, fracBits, bands);
    result.deviation = result.roundedDeviation;
    if (bands.empty()) return result;

    const Grid grid = MakeGrid(half, bands, kSearchDensity, true);
    const std::vector<Direction> singles = SingleWordMoves(grid, fracBits);
    std::vector<std::pair<std::vector<int64_t>, WordSearchMethod>> candidates;

    if (n <= kLatticeMaxTaps) {
        const std::vector<double> realAmplitude = Amplitude(grid, realHalf);
        std::vector<std::vector<std::size_t>> nodeSets;
        const std::vector<std::size_t> extremal = ExtremalNodes(grid, realAmplitude);
        if (static_cast<int>(extremal.size()) >= m) nodeSets.push_back(extremal);
        nodeSets.push_back(ChebyshevNodes(grid, bands, 3 * m / 2));
        nodeSets.push_back(ChebyshevNodes(grid, bands, 2 * m));
        nodeSets.push_back(ChebyshevNodes(grid, bands, 3 * m));
        for (const auto& nodes : nodeSets) {
            if (static_cast<int>(nodes.size()) < m) continue;
            std::vector<std::vector<int64_t>> reduced;
            std::vector<int64_t> start =
                LatticeWords(grid, nodes, realHalf, fracBits, lo, hi, reduced);
            Descent descent = StartDescent(grid, std::move(start), fracBits, lo, hi);
            if (descent.error <= 2.0 * result.roundedDeviation) {  // else a poor node set
                std::vector<Direction> moves = singles;
                for (auto& step : reduced) moves.push_back(Combined(std::move(step), singles));
                descent.Run(moves, kPairLimit, deadline);
                candidates.emplace_back(std::move(descent.words), WordSearchMethod::Lattice);
            }
            if (Clock::now() >= deadline) break;
        }
    }
    {
        Descent descent = StartDescent(grid, rounded, fracBits, lo, hi);
        descent.Run(singles, kPairLimit, deadline);
        candidates.emplace_back(std::move(descent.words), WordSearchMethod::LocalSearch);
    }

    // The best words of the descents, kicked further.
    std::size_t best = 0;
    std::vector<Descent> ends;
    for (const auto& [words, method] : candidates) {
        ends.push_back(StartDescent(grid, words, fracBits, lo, hi));
        if (ends.back().error < ends[best].error) best = ends.size() - 1;
    }
    Kick(ends[best], singles, deadline);
    candidates.emplace_back(std::move(ends[best].words), candidates[best].second);

    for (const auto& [words, method] : candidates) {
        const std::vector<int32_t> full = FullWords(words, n);
        const double deviation = WordsDeviation(full, fracBits, bands);
        if (deviation < result.deviation &&
            deviation < result.roundedDeviation * (1.0 - kKeepMargin)) {
            result.values = full;
            result.deviation = deviation;
            result.method = method;
        }
    }
    return result;
}

}  // namespace ondela
