// Status codes and the one exception type of the core library.
//
// Every failure of the core surfaces as TQZAException. Code 15 (kQZANotFound)
// means "no such class, property or qualifier"; callers turn it into empty
// results. The other codes are listed below; what() is TranslateStatusCode.
#ifndef QZA_CORE_STATUS_H
#define QZA_CORE_STATUS_H

#include <exception>
#include <string>

namespace NVKXQZA20 {

typedef int TQZAStatusCode;

const TQZAStatusCode kQZAOk = 0;
const TQZAStatusCode kQZAFailed = 1;
const TQZAStatusCode kQZAInvalidParameter = 4;
// A value of one CIM type was read as another it cannot become.
const TQZAStatusCode kQZATypeMismatch = 13;
// A number does not fit the type it is read as.
const TQZAStatusCode kQZAOutOfRange = 14;
const TQZAStatusCode kQZANotFound = 15;
// A null value was read as a number, bool, date-time or reference.
const TQZAStatusCode kQZANullValue = 16;
// The object was deleted from the repository and cannot be changed.
const TQZAStatusCode kQZADeleted = 17;
const TQZAStatusCode kQZAAlreadyExists = 18;
// Raised on purpose by the fault-injection setting of TMemoryNamespace.
const TQZAStatusCode kQZAInjectedFault = 19;

std::string TranslateStatusCode(TQZAStatusCode code);

class TQZAException : public std::exception {
 public:
  explicit TQZAException(TQZAStatusCode code, std::string detail = "");

  TQZAStatusCode GetStatusCode() const { return fCode; }
  // What was missing or wrong, such as a class or property name.
  const std::string& GetDetail() const { return fDetail; }
  const char* what() const noexcept override { return fText.c_str(); }

 private:
  TQZAStatusCode fCode;
  std::string fDetail;
  std::string fText;
};

}  // namespace NVKXQZA20

#endif
