#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "tool/collections.h"
#include "tool/interrupt_cleanup.h"
#include "tool/report_tool.h"

namespace {

#ifndef QZA_WITH_JEMALLOC
// Huge pages for the heap; and memory freed kept for the next page rather
// than handed back and cleared again (large blocks too, up to glibc's
// greatest mapping threshold).
const char kMallocTunables[] =
    "glibc.malloc.hugetlb=1:glibc.malloc.trim_threshold=1099511627776:glibc.malloc.mmap_threshold=33554432";
const char kRestartedMark[] = "QZAREPORT_RESTARTED";

// A million-instance report spends half its time missing the page tables of
// 4 KB pages; glibc puts its heap on transparent huge pages only when told
// so at start-up. So the tool tells it and starts again, once. Where it
// cannot, it runs as it is. With jemalloc (the usual build), glibc's malloc
// is not used at all and none of this is needed.
void RestartWithHugePages(char* argv[]) {
  if (std::getenv(kRestartedMark) != nullptr) return;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb") != nullptr) return;
  const std::string value =
      tunables != nullptr && *tunables != '\0' ? std::string(tunables) + ":" + kMallocTunables : kMallocTunables;
  if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0 || ::setenv(kRestartedMark, "1", 1) != 0) return;
  ::execv("/proc/self/exe", argv);
}
#endif

}  // namespace

int main(int argc, char* argv[]) {
#ifndef QZA_WITH_JEMALLOC
  RestartWithHugePages(argv);
#endif
  LeaveRepositoriesAtExit();
  InstallInterruptCleanup();
  return RunReportTool(argc, argv, std::cout, std::cerr, ::isatty(2) == 1);
}
