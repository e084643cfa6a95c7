// forms/ — the output forms. This folder holds what every writer shares (this
// base, the ESXi and pipelined writers, file names, display text, JSON
// values, the report summary); html/, documents/ and traces/ hold the forms.
// Uses the findings and the comparison, never the tool.
//
// What every concrete writer of the tool shares: the folders it writes to,
// the writer type it announces and the mode it reads from the context.
//
// Files are staged: the library and the writer put every file under the
// staging folder, which the tool moves over the output folder once the
// report is complete. Texts that name files (page paths in a trace) are
// shown with the output folder, where the reader will find them.
#ifndef QZA_HOST_HOST_WRITER_H
#define QZA_HOST_HOST_WRITER_H

#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "comparison/delta_computation.h"
#include "findings/report_problems.h"
#include "writer/writer.h"

struct TWriterSettings {
  std::string fOutputFolder;   // where the report will be read
  std::string fStagingFolder;  // where it is written; the output folder when empty
  std::string fDataFolder;     // the product's data files (device-analysis header)
  std::string fWriterType;     // announced to the library ("html", "inventory", ...)
  size_t fTextWidth = 120;     // the longest line of a text page
};

// A record a later collection's log added.
struct TShownRecord {
  std::string fTime;
  std::string fMessage;
  ESeverity fSeverity;
};

// The records a later collection's log added, since the base's collection.
struct TShownLogRecords {
  std::string fLog;
  std::string fCollection;
  std::string fBase;
  std::vector<TShownRecord> fRecords;
};

size_t RecordCount(const std::vector<TShownLogRecords>& logs);

class THostWriter : public TWriter {
 public:
  explicit THostWriter(TWriterSettings settings);

  // Reads the mode ("default" when the context has none) and points the
  // library at the staging folder.
  void Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context,
                  const std::string& outputTarget) override;

  // Files that could not be written. The library absorbs a failing page, so
  // the tool asks here before it calls a report complete.
  virtual const std::vector<std::string>& GetFailures() const { return fFailures; }
  // After EndReport: how many of the pages the index lists show no row, as
  // the index says; nothing where the writer does not decide it (traces).
  virtual std::optional<size_t> PagesWithoutRows() const { return std::nullopt; }
  // The properties the comparison left out; they count as volatile too.
  void SetIgnoredProperties(std::vector<TIgnoredProperty> ignored) { fIgnored = std::move(ignored); }
  // The new log records of a comparison, when they were found beforehand
  // (TDeltaSummary): otherwise the writer looks for them at the end.
  void SetNewLogRecords(std::vector<TNewLogRecords> records) { fNewLogRecords = std::move(records); }

 protected:
  const TWriterSettings& Settings() const { return fSettings; }
  const std::vector<TIgnoredProperty>& IgnoredProperties() const { return fIgnored; }
  // A staged path as the reader will find it.
  std::string DisplayPath(const std::string& path) const;
  // Writes a whole file, or records the failure and throws.
  void WriteWholeFile(const std::string& path, const std::string& text);
  // Writes a file through a stream, or records the failure and throws.
  void WriteStreamedFile(const std::string& path, const std::function<void(std::ostream&)>& write);
  // Of a comparison: the column labels of the volatile properties (and the
  // ignored ones) in every class that has them, and the later collections'
  // new log records.
  std::set<std::string> VolatileColumnLabels();
  std::vector<TNewLogRecords> NewLogRecords();
  // Those records with the time and message a reader looks for.
  std::vector<TShownLogRecords> ShownLogRecords(TRecordSeverities& severities);
  // Of a comparison: the collections' labels, a label that is the time of
  // its collection with the UTC offset of that time.
  const std::vector<std::string>& CollectionLabels() const { return fCollectionLabels; }
  // The grid's cells that name a collection by the library's label name it
  // by CollectionLabels().
  void RelabelCollections(TTableGrid& grid) const;
  // The Environmentals table with each sensor's status and thresholds
  // (sensor_table.h); any other grid, or a comparison's, stays as it is.
  // Whether it was reshaped: its column 0 then holds the statuses.
  bool ShapeSensorTable(TTableGrid& grid);

 private:
  TWriterSettings fSettings;
  std::vector<std::string> fFailures;
  std::vector<TIgnoredProperty> fIgnored;
  std::optional<std::vector<TNewLogRecords>> fNewLogRecords;
  std::vector<std::string> fCollectionLabels;
};

#endif
