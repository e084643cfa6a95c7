// The "What changed" page of an HTML comparison report: the differences of
// the comparison pages one line each, grouped by page, those of volatile
// properties folded away (and counted) under each page, long texts as line
// differences, then the records each later collection's logs added.
//
//   WriteChangesPageBody(pageBody, changeList, newRecords, {"*.StatisticTime"});
//
// Every text is plain and escaped here.
#ifndef QZA_HOST_HTML_CHANGES_H
#define QZA_HOST_HTML_CHANGES_H

#include <iosfwd>
#include <string>
#include <vector>

#include "comparison/change_list.h"
#include "forms/host_writer.h"

extern const char kChangesTitle[];

// Writes the page's body to out; ignored: the properties left out with
// --ignore, as given.
void WriteChangesPageBody(std::ostream& out, const TChangeList& changes, const std::vector<TShownLogRecords>& logs,
                          const std::vector<std::string>& ignored);

#endif
