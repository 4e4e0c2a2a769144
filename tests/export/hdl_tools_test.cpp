// The VHDL package and the Verilog include used by small test benches under GHDL and Icarus
// Verilog: an impulse through a direct-form FIR built from the exported coefficients gives back
// the integers worked out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/coef_export.h"
#include "tests/export/export_probe.h"
#include "tests/export/tool_run.h"

namespace ondela::testing {
namespace {

// The count, word bits and fraction bits on one line, then the impulse response.
std::vector<std::string> ExpectedOutput(const ProbeCase& c) {
    std::vector<std::string> lines = {std::to_string(kProbeCoefs.size()) + " " +
                                      std::to_string(c.w) + " " + std::to_string(c.f)};
    for (const int64_t v : c.values) lines.push_back(std::to_string(v));
    return lines;
}

// Sample k of the delay line times coefficient k, summed in a wider accumulator: with a unit
// impulse the output at time n is coefficient n.
constexpr const char* kVhdlBench = R"(library ieee;
use ieee.std_logic_1164.all;
use ieee.numeric_std.all;
use std.textio.all;
use work.probe_pkg.all;

entity bench is
end entity bench;

architecture sim of bench is
begin
    process
        type delay_line is array (0 to PROBE_COUNT - 1) of signed(1 downto 0);
        variable x : delay_line := (others => (others => '0'));
        variable acc : signed(PROBE_WORD_BITS + 8 downto 0);
        variable l : line;
    begin
        write(l, integer'image(PROBE_COUNT) & " " & integer'image(PROBE_WORD_BITS) & " " &
                 integer'image(PROBE_FRAC_BITS));
        writeline(output, l);
        for n in 0 to PROBE_COUNT - 1 loop
            for k in PROBE_COUNT - 1 downto 1 loop
                x(k) := x(k - 1);
            end loop;
            if n = 0 then
                x(0) := to_signed(1, 2);
            else
                x(0) := to_signed(0, 2);
            end if;
            acc := (others => '0');
            for k in 0 to PROBE_COUNT - 1 loop
                acc := acc + resize(PROBE_COEFS(k) * x(k), acc'length);
            end loop;
            write(l, integer'image(to_integer(resize(acc, PROBE_WORD_BITS))));
            writeline(output, l);
        end loop;
        wait;
    end process;
end architecture sim;
)";

constexpr const char* kVerilogBench = R"(module bench;
`include "probe_coefs.vh"
    reg signed [1:0] x [0:PROBE_COUNT-1];
    reg signed [PROBE_WORD_BITS+8:0] acc;
    integer n, k;
    initial begin
        #1;  // the include's initial block has filled the coefficients
        $display("%0d %0d %0d", PROBE_COUNT, PROBE_WORD_BITS, PROBE_FRAC_BITS);
        for (k = 0; k < PROBE_COUNT; k = k + 1) x[k] = 2'sd0;
        for (n = 0; n < PROBE_COUNT; n = n + 1) begin
            for (k = PROBE_COUNT - 1; k > 0; k = k - 1) x[k] = x[k - 1];
            x[0] = (n == 0) ? 2'sd1 : 2'sd0;
            acc = 0;
            for (k = 0; k < PROBE_COUNT; k = k + 1) acc = acc + probe_coefs[k] * x[k];
            $display("%0d", acc);
        end
    end
endmodule
)";

TEST(HdlToolsTest, GhdlRunsABenchOverTheVhdlPackage) {
    for (const ProbeCase& c : kProbeCases) {
        SCOPED_TRACE(::testing::Message() << "W=" << c.w);
        const ExportResult result = ExportCoefficients(ExportFormat::Vhdl, ProbeRequest(c.w));
        ASSERT_EQ(result.error, "");
        TempDir dir;
        WriteFile(dir / "probe_pkg.vhd", result.content);
        WriteFile(dir / "bench.vhd", kVhdlBench);
        for (const char* file : {"probe_pkg.vhd", "bench.vhd"}) {
            const ChildRun analyse = RunTool({"ghdl", "-a", "--std=08", file}, dir.Path());
            ASSERT_EQ(analyse.exitCode, 0) << analyse.err << analyse.out << result.content;
            EXPECT_EQ(analyse.err, "");  // no warning either
        }
        const ChildRun run = RunTool({"ghdl", "--elab-run", "--std=08", "bench"}, dir.Path());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Lines(run.out), ExpectedOutput(c)) << result.content;
    }
}

TEST(HdlToolsTest, IcarusRunsABenchIncludingTheVerilogFile) {
    for (const ProbeCase& c : kProbeCases) {
        SCOPED_TRACE(::testing::Message() << "W=" << c.w);
        const ExportResult result = ExportCoefficients(ExportFormat::Verilog, ProbeRequest(c.w));
        ASSERT_EQ(result.error, "");
        TempDir dir;
        WriteFile(dir / "probe_coefs.vh", result.content);
        WriteFile(dir / "bench.v", kVerilogBench);
        const ChildRun compile =
            RunTool({"iverilog", "-g2001", "-Wall", "-o", "bench.vvp", "bench.v"}, dir.Path());
        ASSERT_EQ(compile.exitCode, 0) << compile.err << result.content;
        EXPECT_EQ(compile.err, "");
        const ChildRun run = RunTool({"vvp", "-n", "bench.vvp"}, dir.Path());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Lines(run.out), ExpectedOutput(c)) << result.content;
    }
}

}  // namespace
}  // namespace ondela::testing
