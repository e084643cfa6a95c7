// The columns of a table of log records that tell each row's severity: a
// generic table with a "Time Stamp" and a "Message" or "Description" column
// is a log; its severity column (Type, Severity, Level...) names each row's
// severity when it shows one, its message otherwise. Every writer that marks
// log rows reads them here, so that the forms agree.
//
//   TLogColumns log(labels);
//   if (log.IsLog()) severity = log.SeverityOf(row.size(), [&](size_t c) -> const std::string& { return row[c]; });
#ifndef QZA_HOST_LOG_COLUMNS_H
#define QZA_HOST_LOG_COLUMNS_H

#include <cstddef>
#include <string>
#include <vector>

#include "findings/report_problems.h"

class TLogColumns {
 public:
  // labels: the table's column labels; none for a table without a header row.
  explicit TLogColumns(const std::vector<std::string>& labels);

  bool IsLog() const { return fMessage >= 0; }

  // The severity of a row of cells whose texts text(c) gives; kNone for a
  // row too short to tell, or a table that is no log.
  template <class TText>
  ESeverity SeverityOf(size_t cells, TText text) const {
    if (!IsLog() || cells <= static_cast<size_t>(std::max(fMessage, fField))) return ESeverity::kNone;
    const ESeverity severity = fField >= 0 ? SeverityOfField(text(fField)) : ESeverity::kNone;
    // Bounded by the message as the problems list bounds a record.
    return severity != ESeverity::kNone ? BoundedByMessage(severity, text(fMessage)) : SeverityOfMessage(text(fMessage));
  }

 private:
  int fMessage = -1;  // -1 for none: no log
  int fField = -1;    // -1 for none
};

// The label of the severity column the writers add to a log table.
extern const char kSeverityLabel[];

// Whether a column of that label holds free text (a message, a
// description), which takes the width the other columns leave.
bool IsFreeTextLabel(const std::string& label);

#endif
