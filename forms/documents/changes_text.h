// The "What changed" list of a text comparison report: the differences of
// the comparison pages one line each, grouped by page as the HTML What
// changed page groups them (comparison/change_list.h), those of volatile
// properties listed apart under each page, long texts as line differences,
// then the records each later collection's logs added.
//
//   WriteChangesText(out, changeList, newRecords, {"*.StatisticTime"}, wrapped);
//
// Each piece goes to out through shown (the text writer's wrapping to its
// width), page by page: a large comparison's list is never held whole.
#ifndef QZA_HOST_CHANGES_TEXT_H
#define QZA_HOST_CHANGES_TEXT_H

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "comparison/change_list.h"
#include "forms/host_writer.h"

// ignored: the properties left out with --ignore, as given.
void WriteChangesText(std::ostream& out, const TChangeList& changes, const std::vector<TShownLogRecords>& logs,
                      const std::vector<std::string>& ignored,
                      const std::function<std::string(const std::string&)>& shown);

#endif
