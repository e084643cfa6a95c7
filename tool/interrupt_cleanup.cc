#include "tool/interrupt_cleanup.h"

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

namespace {

std::mutex gMutex;
std::multiset<std::string> gPaths;

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t CleanedSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : kSignals) sigaddset(&signals, signal);
  return signals;
}

[[noreturn]] void RemoveAndEnd(int signal) {
  {
    // Held to the end: a run that goes on meanwhile registers nothing new.
    std::lock_guard<std::mutex> lock(gMutex);
    for (const std::string& path : gPaths) {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
    ::signal(signal, SIG_DFL);
    const sigset_t signals = CleanedSignals();
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    ::raise(signal);
  }
  std::_Exit(128 + signal);
}

}  // namespace

void InstallInterruptCleanup() {
  const sigset_t signals = CleanedSignals();
  // Threads started later inherit the mask: only the waiting thread takes them.
  if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return;
  std::thread([signals] {
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    RemoveAndEnd(signal);
  }).detach();
}

TRemovedIfInterrupted::TRemovedIfInterrupted(const std::function<std::string()>& create) {
  std::lock_guard<std::mutex> lock(gMutex);
  fPath = create();
  gPaths.insert(fPath);
}

TRemovedIfInterrupted::~TRemovedIfInterrupted() {
  std::lock_guard<std::mutex> lock(gMutex);
  gPaths.erase(gPaths.find(fPath));
}
