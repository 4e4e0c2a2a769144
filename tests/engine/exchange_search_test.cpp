// The exchange's extremal search evaluates most errors the faster way, with bounds, and decides
// open comparisons on exact errors. It must make exactly the decisions of a search on exact
// errors throughout: same reference sets, iteration outcome and coefficients, bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/design_work.h"
#include "engine/error_search.h"
#include "engine/exchange_kernels.h"
#include "engine/remez_exchange.h"

namespace ondela {
namespace {

struct Band {
    double lower;
    double upper;
    double desired;
    double weight;
};

struct Outcome {
    int status = 0;
    double dev = 0.0;
    std::vector<int> iext;
    std::vector<double> alpha;
    long long fastPoints = 0;
    long long evaluationCalls = 0;
};

enum class Search { Exact, Usual, Forced };

Outcome Exchange(DesignWork& w, int taps, const std::vector<Band>& bands, int density,
                 Search search, bool predictClimbs = true) {
    w.nbands = static_cast<int>(bands.size());
    for (int l = 1; l <= w.nbands; ++l) {
        w.edge[2 * l - 1] = bands[l - 1].lower;
        w.edge[2 * l] = bands[l - 1].upper;
        w.fx[l] = bands[l - 1].desired;
        w.wtx[l] = bands[l - 1].weight;
    }
    w.nfcns = (taps + 1) / 2;
    w.nz = w.nfcns + 1;
    w.search.mode = search == Search::Exact    ? SearchMode::ExactOnly
                    : search == Search::Forced ? SearchMode::FastWherever
                                               : SearchMode::Usual;
    w.search.fastPointsTotal = 0;
    w.search.evaluationCalls = 0;
    w.search.predictClimbs = predictClimbs;
    Outcome o;
    o.status = BuildGrid(w, w.nfcns, density, density * 2050);
    if (o.status != 0) return o;
    InitialExtremals(w);
    o.status = RemezExchange(w);
    o.dev = w.dev;
    o.iext.assign(w.iext.begin() + 1, w.iext.begin() + w.nz + 1);
    o.alpha.assign(w.alpha.begin() + 1, w.alpha.begin() + w.nfcns + 1);
    o.fastPoints = w.search.fastPointsTotal;
    o.evaluationCalls = w.search.evaluationCalls;
    return o;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(ExchangeSearch, DecidesAsTheExactSearchDoes) {
    // Shapes of every filter type, one to five bands, ordinary designs, designs at the rounding
    // floor (where the bounds leave many comparisons open) and degenerate ones that do not settle.
    const std::vector<std::vector<Band>> shapes = {
        {{0.0, 0.5, 1.0, 1.0}},
        {{0.0, 0.1, 1.0, 1.0}, {0.12, 0.5, 0.0, 10.0}},
        {{0.0, 0.2, 0.0, 10.0}, {0.25, 0.5, 1.0, 1.0}},
        {{0.0, 0.1, 0.0, 10.0}, {0.15, 0.25, 1.0, 1.0}, {0.3, 0.5, 0.0, 5.0}},
        {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.25, 0.0, 30.0}, {0.3, 0.5, 1.0, 1.0}},
        {{0.0, 0.2, 1.0, 1.0}, {0.3, 0.5, 0.0, 1.0}},  // half-band-like
        {{0.0, 0.08, 1.0, 1.0},
         {0.11, 0.2, 0.0, 8.0},
         {0.24, 0.33, 0.5, 2.0},
         {0.36, 0.5, 0.0, 20.0}},
        {{0.0, 0.05, 0.0, 3.0},
         {0.08, 0.15, 1.0, 1.0},
         {0.18, 0.25, 0.0, 7.0},
         {0.29, 0.38, 1.0, 1.0},
         {0.42, 0.5, 0.0, 4.0}},
    };
    struct Size {
        int taps;
        int density;
    };
    const Size sizes[] = {{3, 16}, {11, 8}, {63, 16}, {127, 40}, {255, 8}, {511, 16}, {1023, 20}};
    auto exact = std::make_unique<DesignWork>();
    auto searched = std::make_unique<DesignWork>();
    long long fastPoints[3] = {};
    for (size_t s = 0; s < shapes.size(); ++s) {
        for (const Size& size : sizes) {
            const Outcome e = Exchange(*exact, size.taps, shapes[s], size.density, Search::Exact);
            EXPECT_EQ(e.fastPoints, 0);
            // As the engine searches, and with the faster evaluation wherever the bounds hold, so
            // that the comparisons at the rounding floor are decided through the bounds too.
            for (const Search search : {Search::Usual, Search::Forced}) {
                const Outcome f = Exchange(*searched, size.taps, shapes[s], size.density, search);
                SCOPED_TRACE(::testing::Message()
                             << "shape " << s << ", " << size.taps << " taps, density "
                             << size.density << (search == Search::Forced ? ", forced" : ""));
                EXPECT_EQ(f.status, e.status);
                EXPECT_EQ(std::memcmp(&f.dev, &e.dev, sizeof(double)), 0) << f.dev << " " << e.dev;
                EXPECT_EQ(f.iext, e.iext);
                EXPECT_TRUE(SameBits(f.alpha, e.alpha));
                fastPoints[static_cast<int>(search)] += f.fastPoints;
            }
        }
    }
    // The comparisons mean something only if the faster evaluation did much of the work.
    EXPECT_GT(fastPoints[static_cast<int>(Search::Usual)], 10000);
    EXPECT_GT(fastPoints[static_cast<int>(Search::Forced)], 200000);
}

TEST(ExchangeSearch, LongDesignDecidesAsTheExactSearchDoes) {
    auto exact = std::make_unique<DesignWork>();
    auto searched = std::make_unique<DesignWork>();
    const std::vector<Band> lowPass = {{0.0, 0.1, 1.0, 1.0}, {0.1 + 4.0 / 4095, 0.5, 0.0, 10.0}};
    const Outcome e = Exchange(*exact, 4095, lowPass, 40, Search::Exact);
    const Outcome f = Exchange(*searched, 4095, lowPass, 40, Search::Usual);
    EXPECT_EQ(f.status, e.status);
    EXPECT_EQ(f.iext, e.iext);
    EXPECT_TRUE(SameBits(f.alpha, e.alpha));
    EXPECT_GT(f.fastPoints, 100000);
}

TEST(ExchangeSearch, ErrorsComputedAheadChangeNoDecision) {
    // The errors computed before each search along the climbs the ripples' tops predict against
    // the neighbours of the reference points alone: the same reference sets, deviation and
    // coefficients, bit for bit, in fewer kernel calls, on the exact search and the usual one.
    const std::vector<std::vector<Band>> shapes = {
        {{0.0, 0.5, 1.0, 1.0}},
        {{0.0, 0.1, 1.0, 1.0}, {0.1 + 4.0 / 1023, 0.5, 0.0, 10.0}},
        {{0.0, 0.2, 0.0, 10.0}, {0.25, 0.5, 1.0, 1.0}},
        {{0.0, 0.1, 0.0, 10.0}, {0.15, 0.25, 1.0, 1.0}, {0.3, 0.5, 0.0, 5.0}},
        {{0.0, 0.2, 1.0, 1.0}, {0.3, 0.5, 0.0, 1.0}},
        {{0.0, 0.05, 0.0, 3.0},
         {0.08, 0.15, 1.0, 1.0},
         {0.18, 0.25, 0.0, 7.0},
         {0.29, 0.38, 1.0, 1.0},
         {0.42, 0.5, 0.0, 4.0}},
    };
    struct Size {
        int taps;
        int density;
    };
    const Size sizes[] = {{3, 16}, {11, 8}, {63, 16}, {255, 16}, {511, 20}, {1023, 16}};
    auto plain = std::make_unique<DesignWork>();
    auto ahead = std::make_unique<DesignWork>();
    long long calls[2] = {};
    for (size_t s = 0; s < shapes.size(); ++s) {
        for (const Size& size : sizes) {
            for (const Search search : {Search::Exact, Search::Usual}) {
                SCOPED_TRACE(::testing::Message()
                             << "shape " << s << ", " << size.taps << " taps, density "
                             << size.density << (search == Search::Exact ? ", exact" : ""));
                const Outcome p =
                    Exchange(*plain, size.taps, shapes[s], size.density, search, false);
                const Outcome a = Exchange(*ahead, size.taps, shapes[s], size.density, search);
                EXPECT_EQ(a.status, p.status);
                EXPECT_EQ(std::memcmp(&a.dev, &p.dev, sizeof(double)), 0) << a.dev << " " << p.dev;
                EXPECT_EQ(a.iext, p.iext);
                EXPECT_TRUE(SameBits(a.alpha, p.alpha));
                calls[0] += p.evaluationCalls;
                calls[1] += a.evaluationCalls;
            }
        }
    }
    // The predicted climbs fill lanes that the search would otherwise leave unread.
    EXPECT_LT(calls[1] * 100, calls[0] * 95) << calls[1] << " " << calls[0];
}

TEST(ExchangeSearch, FasterErrorsLieWithinTheirBounds) {
    // The faster evaluation's bound at every grid point of the final reference set of designs
    // short and long, on every kernel path: |faster error - exact error| <= bound.
    const std::vector<std::vector<Band>> shapes = {
        {{0.0, 0.1, 1.0, 1.0}, {0.12, 0.5, 0.0, 10.0}},
        {{0.0, 0.1, 0.0, 10.0}, {0.15, 0.25, 1.0, 1.0}, {0.3, 0.5, 0.0, 5.0}},
        {{0.0, 0.05, 0.0, 3.0},
         {0.08, 0.15, 1.0, 1.0},
         {0.18, 0.25, 0.0, 7.0},
         {0.29, 0.38, 1.0, 1.0},
         {0.42, 0.5, 0.0, 4.0}},
    };
    const KernelPath started = ActiveKernelPath();
    auto w = std::make_unique<DesignWork>();
    long long checked = 0;
    double tightest = 0.0;  // largest share of its bound that an error's distance took
    for (const KernelPath path : {KernelPath::Portable, KernelPath::Avx2}) {
        if (!UseKernelPath(path)) continue;
        for (size_t s = 0; s < shapes.size(); ++s) {
            for (const int taps : {63, 255, 1023, 2047}) {
                SCOPED_TRACE(::testing::Message()
                             << KernelPathName(path) << ", shape " << s << ", " << taps << " taps");
                Exchange(*w, taps, shapes[s], 16, Search::Usual);
                w->search.mode = SearchMode::FastWherever;
                PrepareSearch(*w);
                ASSERT_TRUE(w->search.fastSearch);
                NewErrorStamp(*w);
                for (int k = 1; k <= w->ngrid; ++k) {
                    const double faster = ErrorAt(*w, k, 1);
                    const double bound = w->search.errorBound[k];
                    if (!(bound < 1e300)) continue;
                    const double exact = ExactErrorAt(*w, k);
                    ASSERT_LE(std::fabs(faster - exact), bound) << "grid point " << k;
                    if (bound > 0.0)
                        tightest = std::max(tightest, std::fabs(faster - exact) / bound);
                    ++checked;
                }
            }
        }
    }
    UseKernelPath(started);
    EXPECT_GT(checked, 50000);
    // Bounds that no error comes near would not show a wrong derivation.
    EXPECT_GT(tightest, 0.003);
}

TEST(ExchangeSearch, EveryKernelPathDesignsAsThePortableOne) {
    // Each kernel path the processor runs against the portable kernels: the same reference sets,
    // deviation and coefficients, bit for bit, with the exact and the usual search.
    const std::vector<std::vector<Band>> shapes = {
        {{0.0, 0.1, 1.0, 1.0}, {0.1 + 4.0 / 1023, 0.5, 0.0, 10.0}},
        {{0.0, 0.1, 0.0, 10.0}, {0.15, 0.25, 1.0, 1.0}, {0.3, 0.5, 0.0, 5.0}},
        {{0.0, 0.2, 1.0, 1.0}, {0.3, 0.5, 0.0, 1.0}},
    };
    struct Size {
        int taps;
        int density;
    };
    const Size sizes[] = {{3, 16}, {127, 16}, {255, 16}, {1023, 16}};
    const KernelPath started = ActiveKernelPath();
    auto portable = std::make_unique<DesignWork>();
    auto other = std::make_unique<DesignWork>();
    int compared = 0;
    for (const KernelPath path : {KernelPath::Avx2}) {
        if (!KernelPathAvailable(path)) continue;
        for (size_t s = 0; s < shapes.size(); ++s) {
            for (const Size& size : sizes) {
                for (const Search search : {Search::Exact, Search::Usual}) {
                    SCOPED_TRACE(::testing::Message()
                                 << KernelPathName(path) << ", shape " << s << ", " << size.taps
                                 << " taps" << (search == Search::Exact ? ", exact" : ""));
                    ASSERT_TRUE(UseKernelPath(KernelPath::Portable));
                    const Outcome p =
                        Exchange(*portable, size.taps, shapes[s], size.density, search);
                    ASSERT_TRUE(UseKernelPath(path));
                    const Outcome o = Exchange(*other, size.taps, shapes[s], size.density, search);
                    EXPECT_EQ(o.status, p.status);
                    EXPECT_EQ(std::memcmp(&o.dev, &p.dev, sizeof(double)), 0)
                        << o.dev << " " << p.dev;
                    EXPECT_EQ(o.iext, p.iext);
                    EXPECT_TRUE(SameBits(o.alpha, p.alpha));
                    EXPECT_EQ(o.fastPoints == 0, p.fastPoints == 0);
                    ++compared;
                }
            }
        }
    }
    UseKernelPath(started);
    if (compared == 0) GTEST_SKIP() << "this processor runs the portable kernels only";
}

}  // namespace
}  // namespace ondela
