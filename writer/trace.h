// Log lines of the report library. Every operation traces its entry and exit
// at level 3 through the core's logger, decisions at level 3, errors at 0.
//
//   TTraceScope trace("TWriter::WriteTable -- Entering", "TWriter::WriteTable -- Exiting");
//   LogLine(3, "TWriter::Generator_Processes -- Under DELTA mode [Do Comparison]");
#ifndef QZA_WRITER_TRACE_H
#define QZA_WRITER_TRACE_H

#include <string>

void LogLine(int level, const std::string& text);

// Logs the entry line now and the exit line when the scope ends normally; an
// exception leaving the scope skips the exit line, as an early throw would.
class TTraceScope {
 public:
  TTraceScope(const std::string& entering, std::string exiting);
  ~TTraceScope();
  TTraceScope(const TTraceScope&) = delete;
  TTraceScope& operator=(const TTraceScope&) = delete;

 private:
  std::string fExiting;
  int fUncaughtOnEntry;
};

// "<scope> -- Entering" and "<scope> -- Exiting", the form most operations use.
class TNamedTraceScope : public TTraceScope {
 public:
  explicit TNamedTraceScope(const std::string& scope)
      : TTraceScope(scope + " -- Entering", scope + " -- Exiting") {}
};

#endif
