// Process-wide services of the core: the logger every component writes to,
// and the IPMI-over-LAN accessor the service-processor log page asks for.
//
//   TRootObject::GetCoreLogger()->Log(3, "TWriter::WriteTable -- Entering");
//   TRootObject::SetLogSink(std::make_shared<std::ofstream>("qza.log"), 3);
//
// Without a sink the logger writes nothing. Logging is safe from any thread.
#ifndef QZA_CORE_ROOT_H
#define QZA_CORE_ROOT_H

#include <atomic>
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

namespace NVKXQZA20 {

// Levels: 0 errors, 1 missing data, 2 notices, 3 entry, exit and trace lines.
class ILogger {
 public:
  virtual ~ILogger() {}
  virtual void Log(int level, const std::string& text) = 0;
};

// The core's logger: lines at or below the threshold go to the sink, one
// line per call: the level, a tab and the text exactly as given.
class TCoreLogger : public ILogger {
 public:
  void Log(int level, const std::string& text) override;
  // An empty sink stops output.
  void SetSink(std::shared_ptr<std::ostream> sink, int threshold);
  bool Enabled(int level) const { return level <= fThreshold.load(std::memory_order_relaxed); }

 private:
  std::mutex fMutex;
  std::shared_ptr<std::ostream> fSink;
  std::atomic<int> fThreshold{-1};
};

// The remote management controller reached over IPMI-over-LAN, when the
// collection was made that way.
class IIPMILan {
 public:
  virtual ~IIPMILan() {}
  virtual bool getipmiLanStatus() = 0;
  // Writes the controller's address as zero-terminated text, cut to fit size.
  virtual void getIPMIAddress(char* buffer, size_t size) = 0;
};

// An accessor for a known address (the host sets it from its options).
class TIPMILan : public IIPMILan {
 public:
  explicit TIPMILan(std::string address) : fAddress(std::move(address)) {}
  bool getipmiLanStatus() override { return !fAddress.empty(); }
  void getIPMIAddress(char* buffer, size_t size) override;

 private:
  std::string fAddress;
};

class TRootObject {
 public:
  static boost::shared_ptr<ILogger> GetCoreLogger();
  static void SetLogSink(std::shared_ptr<std::ostream> sink, int threshold);
  // Empty when the collection was not made over IPMI-over-LAN.
  static boost::shared_ptr<IIPMILan> GetipmiLanIns();
  static void SetipmiLanIns(boost::shared_ptr<IIPMILan> accessor);
};

class TOSSpecific {
 public:
  static constexpr const char* kFileSeparator = "/";
};

}  // namespace NVKXQZA20

#endif
