#include "core/root.h"

#include <cstring>

namespace NVKXQZA20 {

namespace {

// The process's one logger and IPMI accessor: the core is the only place
// where process-wide state lives.
struct TRootState {
  boost::shared_ptr<TCoreLogger> fLogger{new TCoreLogger};
  std::mutex fMutex;
  boost::shared_ptr<IIPMILan> fIPMILan;
};

TRootState& Root() {
  static TRootState state;
  return state;
}

}  // namespace

void TCoreLogger::Log(int level, const std::string& text) {
  if (!Enabled(level)) return;
  std::lock_guard<std::mutex> lock(fMutex);
  if (fSink) *fSink << level << '\t' << text << '\n';
}

void TCoreLogger::SetSink(std::shared_ptr<std::ostream> sink, int threshold) {
  std::lock_guard<std::mutex> lock(fMutex);
  if (fSink) fSink->flush();
  fSink = std::move(sink);
  fThreshold.store(fSink ? threshold : -1, std::memory_order_relaxed);
}

void TIPMILan::getIPMIAddress(char* buffer, size_t size) {
  if (size == 0) return;
  size_t length = fAddress.size() < size - 1 ? fAddress.size() : size - 1;
  std::memcpy(buffer, fAddress.data(), length);
  buffer[length] = '\0';
}

boost::shared_ptr<ILogger> TRootObject::GetCoreLogger() { return Root().fLogger; }

void TRootObject::SetLogSink(std::shared_ptr<std::ostream> sink, int threshold) {
  Root().fLogger->SetSink(std::move(sink), threshold);
}

boost::shared_ptr<IIPMILan> TRootObject::GetipmiLanIns() {
  std::lock_guard<std::mutex> lock(Root().fMutex);
  return Root().fIPMILan;
}

void TRootObject::SetipmiLanIns(boost::shared_ptr<IIPMILan> accessor) {
  std::lock_guard<std::mutex> lock(Root().fMutex);
  Root().fIPMILan = accessor;
}

}  // namespace NVKXQZA20
