#include "cli/remez_command.h"

#include <QCommandLineParser>
#include <cmath>
#include <string>

#include "cli/cli_command.h"
#include "cli/json_writer.h"
#include "engine/filter_spec.h"
#include "export/fixed_point.h"
#include "export/word_search.h"
#include "numbers/number_text.h"

namespace ondela::cli {

namespace {

constexpr const char* kUsage =
    "ondela-cli remez --taps N --bands E1,E2,E3,E4[,...] --desired D1,D2[,...]\n"
    "           --weights W1,W2[,...] [--density L]\n"
    "           [--word-bits W [--frac-bits F] [--rounding nearest|floor|optimised]] [--json]";

constexpr int kDefaultDensity = 16;

int UsageError(const Console& console, const std::string& what) {
    PrintLine(console.err, "ondela-cli remez: " + what);
    return kExitUsage;
}

class RemezCommand : public CliCommand {
  public:
    RemezCommand() : CliCommand("remez", kUsage) {}

  private:
    void AddOptions(QCommandLineParser& parser) override;
    bool ReadOptions(const QCommandLineParser& parser) override;
    int Run() override;

    RemezRequest request;
};

void RemezCommand::AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Runs one equiripple (Remez) exchange of a given odd length over up to 8 bands,\n"
        "each with a desired amplitude and a weight, and prints the symmetric\n"
        "coefficients one a line (17 significant digits) or, with --json, a JSON report\n"
        "with the coefficients, the weighted deviation and the status bits. Warnings go\n"
        "to standard error.\n"
        "\n"
        "Exit status: 0 coefficients were produced (warnings included); 1 the exchange\n"
        "could not run (a grid too sparse or too large for the length) or broke down\n"
        "(coefficients that are not finite numbers, a deviation that is zero or not\n"
        "finite, or a reference set that lost its points): then one line on standard\n"
        "error says why, and no coefficients are printed; 2 usage error.");
    parser.addOption({"taps", "Number of coefficients: odd, 3 to 4095.", "N"});
    parser.addOption({"bands",
                      "Band edges as fractions of the sampling frequency, two per band, rising "
                      "within 0 to 0.5, comma-separated (\"0,0.2,0.25,0.5\").",
                      "E1,E2,..."});
    parser.addOption({"desired", "Desired amplitude of each band, comma-separated.", "D1,..."});
    parser.addOption(
        {"weights", "Weight of each band, greater than 0, comma-separated.", "W1,..."});
    parser.addOption({"density",
                      "Grid points per coefficient of the cosine series, 1 to 40 (default 16).",
                      "L"});
    AddJsonOption(parser,
                  "Writes a JSON report instead of one coefficient a line: \"produced\" (true "
                  "when coefficients resulted), \"status\" (the exchange's status bits), "
                  "\"messages\", \"taps\", \"density\", \"deviation\" and \"coefficients\" "
                  "(empty when none resulted; a broken-down exchange reports no deviation); "
                  "with --word-bits also \"fixedPoint\": wordBits, fracBits, rounding, "
                  "saturated, values (the integers) and deviation (the weighted error of the "
                  "words over the bands).");
    AddFixedPointOptions(parser,
                         "Quantises the coefficients to signed words of W bits, 2 to 32, and "
                         "prints the integers one a line instead of the coefficients.",
                         true);
}

// A comma-separated option; nullopt (after the usage line) when it is missing or not a list of
// numbers.
std::optional<std::vector<double>> ListOption(const QCommandLineParser& parser, const char* name,
                                              const Console& console) {
    if (!parser.isSet(name)) {
        UsageError(console, std::string("--") + name + " is required");
        return std::nullopt;
    }
    const std::string text = Utf8(parser.value(name));
    auto values = ReadNumberList(text);
    if (!values) {
        UsageError(console, std::string("--") + name + ": '" + text +
                                "' is not a comma-separated list of "
                                "numbers");
    }
    return values;
}

// Why an exchange that ran gave no usable filter, or empty when it did. The exchange has broken
// down when a coefficient is not a finite number (a division by a vanished denominator spread
// through the interpolation), when its weighted deviation is not a positive finite number (the
// levelled error collapsed: the reference ordinates no longer alternate about the desired
// values, so the coefficients need not approach them at all), or when its reference set no
// longer holds one point more than there are cosine terms, each a finite frequency strictly
// above the one before (points merged or lost, so the alternation the deviation is levelled on
// does not exist).
std::string Breakdown(const DesignEngine& engine, int taps, double deviation,
                      const std::vector<double>& coefs) {
    for (int i = 0; i < taps; ++i) {
        if (!std::isfinite(coefs[i])) return "coefficients that are not finite numbers";
    }
    if (!(deviation > 0.0) || !std::isfinite(deviation)) {
        return FormatText("a weighted deviation of %g", deviation);
    }
    const int expected = (taps + 1) / 2 + 1;
    std::vector<double> reference(static_cast<std::size_t>(kCoefArraySize) + 2, 0.0);
    const int count = engine.ExtremalFrequencies(reference.data());
    bool rising = count == expected;
    for (int j = 0; j < count && rising; ++j) {
        rising = std::isfinite(reference[j]) && (j == 0 || reference[j] > reference[j - 1]);
    }
    if (!rising) return "a reference set that lost its points";
    return {};
}

bool RemezCommand::ReadOptions(const QCommandLineParser& parser) {
    if (!parser.isSet("taps")) {
        UsageError("--taps is required");
        return false;
    }
    const std::string tapsText = Utf8(parser.value("taps"));
    const auto taps = ReadWholeInt(tapsText);
    if (!taps) {
        UsageError("--taps: '" + tapsText + "' is not a whole number");
        return false;
    }
    if (*taps < kMinCoefs || *taps > kMaxDesignCoefs || *taps % 2 == 0) {
        UsageError("--taps: " + tapsText + " is not an odd number from 3 to 4095");
        return false;
    }
    request.taps = *taps;

    const auto edges = ListOption(parser, "bands", console());
    if (!edges) return false;
    if (edges->size() % 2 != 0 || edges->size() < 2 ||
        edges->size() > 2 * static_cast<std::size_t>(kMaxExchangeBands)) {
        UsageError("--bands: give two edges per band, for 1 to 8 bands (" +
                   std::to_string(edges->size()) + " edges given)");
        return false;
    }
    for (std::size_t i = 0; i < edges->size(); ++i) {
        const double e = (*edges)[i];
        if (!(e >= 0.0 && e <= 0.5) || (i > 0 && !(e > (*edges)[i - 1]))) {
            UsageError("--bands: the edges must rise within 0 to 0.5 (edge " +
                       std::to_string(i + 1) + " is " + FormatText("%g", e) + ")");
            return false;
        }
    }
    const std::size_t bandCount = edges->size() / 2;

    const auto desired = ListOption(parser, "desired", console());
    if (!desired) return false;
    const auto weights = ListOption(parser, "weights", console());
    if (!weights) return false;
    if (desired->size() != bandCount) {
        UsageError("--desired: one value per band is needed (" + std::to_string(bandCount) +
                   " bands, " + std::to_string(desired->size()) + " given)");
        return false;
    }
    if (weights->size() != bandCount) {
        UsageError("--weights: one value per band is needed (" + std::to_string(bandCount) +
                   " bands, " + std::to_string(weights->size()) + " given)");
        return false;
    }
    for (const double w : *weights) {
        if (!(w > 0.0)) {
            UsageError("--weights: every weight must be greater than 0");
            return false;
        }
    }
    for (std::size_t b = 0; b < bandCount; ++b) {
        request.bands.push_back(
            {(*edges)[2 * b], (*edges)[2 * b + 1], (*desired)[b], (*weights)[b]});
    }

    request.density = kDefaultDensity;
    if (parser.isSet("density")) {
        const std::string text = Utf8(parser.value("density"));
        const auto density = ReadWholeInt(text);
        if (!density || *density < 1 || *density > kMaxGridDensity) {
            UsageError("--density: '" + text + "' is not a whole number from 1 to 40");
            return false;
        }
        request.density = *density;
    }
    request.json = json;
    return ReadFixedPointOptions(parser);
}

// The exchange's coefficients in words: rounded each on its own, or chosen together.
struct Words {
    QuantisedCoefs q;
    double deviation = 0.0;
};

Words InWords(const std::vector<double>& coefs, const std::vector<ExchangeBand>& exchangeBands,
              const FixedPointRequest& request, bool optimised) {
    std::vector<WordBand> bands;
    for (const ExchangeBand& b : exchangeBands) {
        bands.push_back({b.lower, b.upper, b.desired, b.weight});
    }
    Words words{Quantise(coefs, request), 0.0};
    if (optimised) {
        const WordSearchResult found =
            SearchWords(coefs, bands, words.q.format.wordBits, words.q.format.fracBits);
        words.q.values = found.values;
        words.deviation = found.deviation;
    } else {
        words.deviation = WordsDeviation(words.q.values, words.q.format.fracBits, bands);
    }
    return words;
}

int RemezCommand::Run() {
    const Console& console = this->console();
    const RemezRequest* request = &this->request;

    DesignEngine engine;
    std::vector<double> coefs(kCoefArraySize, 0.0);
    const FixedLengthResult result = engine.DesignFixedLength(
        request->taps, request->bands.data(), static_cast<int>(request->bands.size()),
        request->density, coefs.data());

    // An unusable request or a grid that does not fit leaves no coefficients; an exchange that
    // ran may still have broken down. The other bits are warnings on a result that exists.
    const bool ran = !DesignFailed(result.status);
    const std::string breakdown =
        ran ? Breakdown(engine, request->taps, result.deviation, coefs) : std::string();
    const bool produced = ran && breakdown.empty();
    std::vector<std::string> messages;
    if (result.status == EDGES_INVALID) {
        messages.push_back("SORRY: The exchange cannot run on these bands");
    } else if (result.status & GRID_OVERFLOW) {
        messages.push_back(
            "SORRY: The frequency grid does not suit this length: try fewer taps, wider bands "
            "or another density");
    } else if (!produced) {
        messages.push_back("SORRY: The exchange broke down (" + breakdown +
                           "): no filter; try fewer taps, other band edges or weights");
    }
    if (produced && NotFullyOptimised(result.status)) {
        messages.push_back("WARNING: Not fully optimized. Try modifying the specifications");
    }
    if (produced && DeviationStalled(result.status)) {
        messages.push_back("WARNING: The deviation stopped growing before the exchange converged");
    }
    std::optional<Words> words;
    if (produced && fixedPoint) {
        words = InWords(std::vector<double>(coefs.begin(), coefs.begin() + request->taps),
                        request->bands, *fixedPoint, optimisedWords);
        const std::string saturation = SaturationText(words->q);
        if (!saturation.empty()) messages.push_back("WARNING: " + saturation);
    }
    for (const std::string& m : messages) PrintLine(console.err, m);

    std::string output;
    if (request->json) {
        JsonWriter json;
        json.BeginObject();
        json.Key("produced").Bool(produced);
        json.Key("status").Integer(result.status);
        json.Key("messages").BeginArray();
        for (const std::string& m : messages) json.String(m);
        json.EndArray();
        json.Key("taps").Integer(request->taps);
        json.Key("density").Integer(request->density);
        if (produced) {
            json.Key("deviation").Number(result.deviation);
        } else if (!ran) {
            json.Key("deviation").Null();
        }
        json.Key("coefficients").BeginArray();
        if (produced) {
            for (int i = 0; i < request->taps; ++i) json.Number(coefs[i]);
        }
        json.EndArray();
        if (words) {
            json.Key("fixedPoint").BeginObject();
            json.Key("wordBits").Integer(words->q.format.wordBits);
            json.Key("fracBits").Integer(words->q.format.fracBits);
            json.Key("rounding")
                .String(optimisedWords ? "optimised" : RoundingName(words->q.format.rounding));
            json.Key("saturated").Integer(words->q.saturated);
            json.Key("values").BeginArray();
            for (const int32_t v : words->q.values) json.Integer(v);
            json.EndArray();
            json.Key("deviation").Number(words->deviation);
            json.EndObject();
        }
        json.EndObject();
        output = json.Text();
    } else if (words) {
        for (const int32_t v : words->q.values) output += std::to_string(v) + "\n";
    } else if (produced) {
        for (int i = 0; i < request->taps; ++i) output += JsonNumber(coefs[i]) + "\n";
    }

    const int written = output.empty() ? kExitFilter : WriteResult(output, QString(), console);
    if (!produced) return kExitNoFilter;
    return written;
}

}  // namespace

int RunRemezCommand(const QStringList& arguments, const Console& console) {
    RemezCommand command;
    return command.Main(arguments, console);
}

}  // namespace ondela::cli
