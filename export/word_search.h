// Words chosen together: the fixed-point words of a symmetric filter whose weighted minimax error
// over its bands is as small as the search can make it, never larger than that of each
// coefficient rounded to the nearest word on its own.
//
// Up to kLatticeMaxTaps taps the words come from lattice basis reduction: the weighted amplitude
// of the words at a set of nodes in the bands is a lattice point, the real filter's weighted
// amplitude there the target; the basis is LLL-reduced, Babai's nearest plane gives a close
// lattice point, and a descent along the reduced basis vectors and single words (±1 LSB), and
// pairs of those moves, lowers the true error, measured on a dense grid. Several node sets are
// tried. Longer filters take only the descent along single words from rounding's words. The best
// words then take random kicks of a few words, each followed by the descent (a fixed sequence of
// them, fewer the longer the filter). All of it stops at the time budget.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ondela {

// A band the words are measured over: edges as fractions of the sampling frequency (0..0.5),
// the desired amplitude and the weight of the error.
struct WordBand {
    double lower = 0.0;
    double upper = 0.0;
    double desired = 0.0;
    double weight = 1.0;
};

// The longest filter whose words come from the lattice method.
constexpr int kLatticeMaxTaps = 511;

enum class WordSearchMethod {
    Rounded,      // no better words were found: rounding's own
    Lattice,      // lattice reduction, nearest plane, then descent
    LocalSearch,  // descent from rounding's words by single words
};

struct WordSearchResult {
    std::vector<int32_t> values;    // one word per tap, symmetric, inside the word's limits
    double deviation = 0.0;         // the words' weighted minimax error over the bands
    double roundedDeviation = 0.0;  // that of each tap rounded to the nearest word
    WordSearchMethod method = WordSearchMethod::Rounded;
};

// The words of W bits with F fraction bits (integer q stands for q / 2^F) for the taps of a
// symmetric filter (any length; the taps are read as symmetric, each pair by its mean), measured
// over bands with positive weights. Stops searching after budgetSeconds (the lattice steps of a
// filter up to kLatticeMaxTaps run in full).
WordSearchResult SearchWords(std::span<const double> taps, std::span<const WordBand> bands,
                             int wordBits, int fracBits, double budgetSeconds = 20.0);

// The weighted minimax error of symmetric words over the bands: max |weight (A(f) - desired)|
// over a grid of 32 points per tap in each band, both edges included.
double WordsDeviation(std::span<const int32_t> words, int fracBits,
                      std::span<const WordBand> bands);

}  // namespace ondela
