// Times the host's difference computation on its own: loads two collections
// (the bundled schema first) as a comparison does, then runs ComputeDeltas
// once and prints one line with its wall and CPU time.
//
//   delta_bench BASE.mof OTHER.mof
#include <chrono>
#include <ctime>
#include <iomanip>
#include <iostream>

#include "tool/collections.h"
#include "comparison/delta_computation.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double CPUSecondsSince(std::clock_t start) { return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC; }

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::cerr << "usage: delta_bench BASE.mof OTHER.mof\n";
    return 2;
  }
  TLoadSettings settings;
  settings.fCollections = {argv[1], argv[2]};
  settings.fSchemaFiles = SchemaFilesOf(std::string(QZA_SOURCE_DIR) + "/schema");
  const auto loadStart = std::chrono::steady_clock::now();
  const TLoadedCollections loaded = LoadCollections(settings);
  const double loadSeconds = SecondsSince(loadStart);

  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  const TDeltaSummary summary = ComputeDeltas(loaded.fNamespace);
  const double cpuSeconds = CPUSecondsSince(cpuStart);
  const double seconds = SecondsSince(start);

  std::cout << std::fixed << std::setprecision(2) << "ComputeDeltas: " << seconds << " s wall, " << cpuSeconds
            << " s CPU for " << loaded.fInstanceCount << " instances in 2 collections (loaded in " << loadSeconds
            << " s); " << summary.fClassCount << " classes, " << summary.fMissingCount << " missing, "
            << summary.fUniqueCount << " unique, " << summary.fDifferenceCount << " differing values\n";
  return 0;
}
