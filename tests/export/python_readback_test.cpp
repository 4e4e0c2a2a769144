// The data exports read back by NumPy and Python's json module, and the .npy file compared byte
// for byte with the array NumPy itself saves and with the format's documented layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/coef_export.h"
#include "tests/export/export_probe.h"
#include "tests/export/tool_run.h"

namespace ondela::testing {
namespace {

// Debian's python3-numpy is installed for the system interpreter; a python3 found earlier in
// PATH (a virtual environment) may lack it.
constexpr const char* kPython = "/usr/bin/python3";

std::string JsonList(const std::vector<int64_t>& values) {
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += (i ? ", " : "") + std::to_string(values[i]);
    }
    return text + "]";
}

// Checks one exported file against the integers and fraction bits given on the command line;
// prints what differs and exits with 1, or prints "ok".
constexpr const char* kCheck = R"(import json, sys
import numpy as np

kind, path, ints, frac = sys.argv[1], sys.argv[2], json.loads(sys.argv[3]), int(sys.argv[4])
reals = [v / 2.0 ** frac for v in ints]
problems = []

def expect(what, got, want):
    if got != want:
        problems.append(f"{what}: got {got!r}, expected {want!r}")

if kind.startswith("npy"):
    dtype = np.dtype(kind.split(":")[1])
    a = np.load(path, allow_pickle=False)
    expect("dtype", a.dtype, dtype)
    expect("shape", a.shape, (len(ints),))
    expect("values", a.tolist(), reals if dtype.kind == "f" else ints)
    np.save("reference.npy", np.array(reals if dtype.kind == "f" else ints, dtype=dtype))
    expect("bytes", open(path, "rb").read(), open("reference.npy", "rb").read())
elif kind == "csv":
    expect("values", np.loadtxt(path, dtype=np.int64, ndmin=1).tolist(), ints)
elif kind == "csv-real":
    expect("values", np.loadtxt(path, dtype=np.float64, ndmin=1).tolist(), reals)
elif kind == "json":
    d = json.load(open(path))
    expect("program", d["program"], "Ondela")
    expect("version", d["version"], "1.21")
    expect("name", d["name"], "probe")
    expect("design", d["design"], {
        "type": "LowPass", "fs": 48000, "f1": 8000, "f2": None, "bandwidth": 1200,
        "target": {"attenuation": 60, "ripple": 0.5},
        "achieved": {"attenuation": 59.25, "ripple": 0.4321}, "holdsFilter": True,
        "targetsMet": None, "numCoefs": len(ints)})
    expect("fracBits", d["fracBits"], frac)
    expect("rounding", d["rounding"], "nearest")
    expect("saturated", d["saturated"], 0)
    expect("values", d["values"], ints)
    expect("coefficients", d["coefficients"], reals)
    expect("wordBits and qFormat", (d["wordBits"], d["qFormat"]),
           (int(sys.argv[5]), f"Q{int(sys.argv[5]) - frac}.{frac}"))
print("\n".join(problems) if problems else "ok")
sys.exit(1 if problems else 0)
)";

ChildRun Check(const TempDir& dir, const std::string& kind, const std::string& file,
               const ProbeCase& c) {
    return RunTool({kPython, "check.py", kind, file, JsonList(c.values), std::to_string(c.f),
                    std::to_string(c.w)},
                   dir.Path());
}

TEST(PythonReadbackTest, NumpyLoadsTheArrayAndSavesTheSameBytes) {
    for (const ProbeCase& c : kProbeCases) {
        for (const bool real : {false, true}) {
            // The smallest signed type that holds W bits, or float64.
            const char* dtype = real ? "<f8" : c.w <= 8 ? "|i1" : c.w <= 16 ? "<i2" : "<i4";
            SCOPED_TRACE(::testing::Message() << "W=" << c.w << " " << dtype);
            ExportRequest request = ProbeRequest(c.w);
            request.options.realValues = real;
            const ExportResult result = ExportCoefficients(ExportFormat::Npy, request);
            ASSERT_EQ(result.error, "");
            TempDir dir;
            WriteFile(dir / "check.py", kCheck);
            WriteFile(dir / "probe.npy", result.content);
            const ChildRun run = Check(dir, std::string("npy:") + dtype, "probe.npy", c);
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        }
    }
}

// The layout the format documents, spelled out for the 16-bit probe: the magic string, version
// 1.0, the header length as little-endian 16 bits, the header dictionary padded with spaces and a
// line end to a multiple of 64 bytes, then the data, little-endian.
TEST(PythonReadbackTest, NpyLayoutByteForByte) {
    const std::string file = ExportCoefficients(ExportFormat::Npy, ProbeRequest(16)).content;
    const std::string dict = "{'descr': '<i2', 'fortran_order': False, 'shape': (7,), }";
    // 10 bytes before the header; 10 + 57 + 1 = 68 pads up to 128 with 60 spaces, so the
    // header length is 118 (0x76).
    std::string expected("\x93NUMPY\x01\x00\x76\x00", 10);
    expected += dict + std::string(60, ' ') + "\n";
    // -32768, 24576, -16384, 8192, 3277, -33, 0 as 16-bit two's complement, low byte first.
    expected += std::string("\x00\x80\x00\x60\x00\xC0\x00\x20\xCD\x0C\xDF\xFF\x00\x00", 14);
    EXPECT_EQ(file, expected);
}

TEST(PythonReadbackTest, CsvAndJsonReadBack) {
    for (const ProbeCase& c : kProbeCases) {
        SCOPED_TRACE(::testing::Message() << "W=" << c.w);
        TempDir dir;
        WriteFile(dir / "check.py", kCheck);
        ExportRequest request = ProbeRequest(c.w);
        WriteFile(dir / "probe.csv", ExportCoefficients(ExportFormat::Csv, request).content);
        request.options.realValues = true;
        WriteFile(dir / "real.csv", ExportCoefficients(ExportFormat::Csv, request).content);
        WriteFile(dir / "probe.json", ExportCoefficients(ExportFormat::Json, request).content);
        for (const auto& [kind, file] :
             {std::pair{"csv", "probe.csv"}, std::pair{"csv-real", "real.csv"},
              std::pair{"json", "probe.json"}}) {
            SCOPED_TRACE(kind);
            const ChildRun run = Check(dir, kind, file, c);
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err << ReadFile(dir / file);
        }
    }
}

}  // namespace
}  // namespace ondela::testing
