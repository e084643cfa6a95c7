#include "writer/trace.h"

#include <exception>

#include "core/root.h"

void LogLine(int level, const std::string& text) {
  NVKXQZA20::TRootObject::GetCoreLogger()->Log(level, text);
}

TTraceScope::TTraceScope(const std::string& entering, std::string exiting)
    : fExiting(std::move(exiting)), fUncaughtOnEntry(std::uncaught_exceptions()) {
  LogLine(3, entering);
}

TTraceScope::~TTraceScope() {
  if (std::uncaught_exceptions() == fUncaughtOnEntry) LogLine(3, fExiting);
}
