// Throughput of the parsers of machine outputs on large synthetic texts of
// the sizes a sos report holds (logs of many MB, long package and process
// lists): bytes per second of each parser.
#include <benchmark/benchmark.h>

#include <string>

#include "machine/parsers/dmidecode.h"
#include "machine/parsers/logs.h"
#include "machine/parsers/lspci.h"
#include "machine/parsers/software.h"

namespace {

using namespace NVKXQZA20::NMachine;

// `count` copies of a line whose "#" is replaced by the copy's number.
std::string Repeat(const std::string& line, size_t count) {
  std::string text;
  size_t hash = line.find('#');
  for (size_t i = 0; i < count; ++i) text += line.substr(0, hash) + std::to_string(i) + line.substr(hash + 1);
  return text;
}

template <typename TParse>
void Measure(benchmark::State& state, const std::string& text, TParse parse) {
  for (auto _ : state) benchmark::DoNotOptimize(parse(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Syslog(benchmark::State& state) {
  static const std::string text =
      Repeat("Dec  7 03:22:29 tern01 ternd[#]: link state changed on port 3, speed 25000 Mb/s full duplex\n", 200000);
  Measure(state, text, ParseSyslog);
}

void BM_Ps(benchmark::State& state) {
  static const std::string text =
      "USER         PID %CPU %MEM    VSZ   RSS TTY      STAT START   TIME COMMAND\n" +
      Repeat("tern        # 1.5  2.0  90000 40960 pts/0    R+   03:22   0:00 ternd -c /etc/tern.conf --verbose\n",
             50000);
  Measure(state, text, ParsePs);
}

void BM_DpkgList(benchmark::State& state) {
  static const std::string text =
      "+++-==============-============-============-=================\n" +
      Repeat("ii  tern-tools-#     1:2.4-1      amd64        tools for tern boards and their sensors\n", 50000);
  Measure(state, text, ParseDpkgList);
}

void BM_Dmidecode(benchmark::State& state) {
  static const std::string text = Repeat(
      "Handle 0x#, DMI type 17, 92 bytes\nMemory Device\n\tSize: 32 GB\n\tLocator: DIMM_A1\n\tSpeed: 4800 MT/s\n"
      "\tManufacturer: Tern Memory\n\tCharacteristics:\n\t\tLow power\n\t\tHot plug\n\n",
      20000);
  Measure(state, text, ParseDmidecode);
}

void BM_Lspci(benchmark::State& state) {
  static const std::string text = Repeat(
      "00:1f.# SATA controller [0106]: Vexlar Systems Corstone SATA [1d0f:a102] (rev 05)\n"
      "\tSubsystem: Vexlar Systems Corstone Board [1d0f:0001]\n\tControl: I/O+ Mem+ BusMaster+\n"
      "\tCapabilities: [80] Express (v2) Endpoint, MSI 00\n\t\tLnkCap:\tPort #0, Speed 8GT/s, Width x4\n"
      "\t\tLnkSta:\tSpeed 8GT/s, Width x4\n\tKernel driver in use: ahci\n\n",
      10000);
  Measure(state, text, ParseLspci);
}

BENCHMARK(BM_Syslog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DpkgList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dmidecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lspci)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
