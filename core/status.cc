#include "core/status.h"

namespace NVKXQZA20 {

std::string TranslateStatusCode(TQZAStatusCode code) {
  switch (code) {
    case kQZAOk: return "Success";
    case kQZAFailed: return "Operation failed";
    case kQZAInvalidParameter: return "Invalid parameter";
    case kQZATypeMismatch: return "Value type mismatch";
    case kQZAOutOfRange: return "Value out of range";
    case kQZANotFound: return "Object not found";
    case kQZANullValue: return "Null value";
    case kQZADeleted: return "Object was deleted";
    case kQZAAlreadyExists: return "Object already exists";
    case kQZAInjectedFault: return "Injected fault";
  }
  return "Unknown status " + std::to_string(code);
}

TQZAException::TQZAException(TQZAStatusCode code, std::string detail)
    : fCode(code), fDetail(std::move(detail)), fText(TranslateStatusCode(code)) {}

}  // namespace NVKXQZA20
