// The table renderer every writer family shares: one table definition and
// its instances become in-memory grids (column or row style, split by the
// table's instance limit, the associated tables of an instance written after
// it) handed complete to the family's WriteTableGrid. What differs between
// families comes in as hooks: their output operations, their formatting and
// queries, and the treatment they give particular classes.
//
//   TTableRenderingHooks hooks;        // every hook but fCellText is required
//   BindOutputOperations(hooks, writer);
//   hooks.fColumnLabel = ...;
//   TTableRenderer(hooks, "TWriter::WriteTable").WriteTable(table, instances, true, false, context);
//
// Errors: nothing is caught here; core errors pass to the caller.
#ifndef QZA_WRITER_TABLE_RENDERER_H
#define QZA_WRITER_TABLE_RENDERER_H

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "core/cim.h"
#include "definitions/report_parameters.h"
#include "writer/table_grid.h"

struct TTableRenderingHooks {
  typedef TReportParameters::TReportClass TReportClass;
  typedef TReportParameters::TReportProperty TReportProperty;
  typedef boost::shared_ptr<NVKXQZA20::ICIMInstance> TInstancePtr;
  typedef std::vector<boost::shared_ptr<NVKXQZA20::ICIMProperty>> TProperties;

  // The family's output operations.
  boost::function<void(std::string title, bool& subTitleEnabled, bool& secondFlag)> fWriteTableTitle;
  boost::function<void(TTableGrid grid)> fWriteTableGrid;
  boost::function<std::string(TReportProperty::ArrayValueSeparator separator)> fSeparatorText;

  // The family's labels, queries and value formatting.
  boost::function<std::string(NVKXQZA20::ICIMClass& cimClass, const TReportProperty& column,
                              const NVKXQZA20::TCIMContext& context)>
      fColumnLabel;
  boost::function<TProperties(TInstancePtr instance, const std::string& name, const std::string& associationClass,
                              const std::string& associationTarget)>
      fColumnProperties;
  boost::function<std::string(const TProperties& properties, const std::string& separator, bool useAlternate)>
      fValuesText;

  // The family's class rules: the text a cell of the table shows for the
  // text read from the instance's property. Left empty, cells show the
  // text as read.
  boost::function<std::string(const TReportClass& table, const std::string& property, TInstancePtr instance,
                              const std::string& text)>
      fCellText;
};

// Binds the hooks of the output operations, which every writer family
// declares alike as public members.
template <class TFamilyWriter>
void BindOutputOperations(TTableRenderingHooks& hooks, TFamilyWriter& writer) {
  hooks.fWriteTableTitle = [&writer](std::string title, bool& subTitleEnabled, bool& secondFlag) {
    writer.WriteTableTitle(title, subTitleEnabled, secondFlag);
  };
  hooks.fWriteTableGrid = [&writer](TTableGrid grid) { writer.WriteTableGrid(std::move(grid)); };
  hooks.fSeparatorText = [&writer](TReportParameters::TReportProperty::ArrayValueSeparator separator) {
    return writer.GetArraySeparatorText(separator);
  };
}

class TTableRenderer {
 public:
  typedef TReportParameters::TReportClass TReportClass;
  typedef TReportParameters::TReportProperty TReportProperty;
  typedef boost::shared_ptr<NVKXQZA20::ICIMInstance> TInstancePtr;
  typedef std::vector<TInstancePtr> TInstances;

  // traceScope names the operation in the log lines, as "TWriter::WriteTable".
  TTableRenderer(TTableRenderingHooks hooks, std::string traceScope);

  // The table's title (even without instances), then its grids. With
  // oneInstancePerTable, a table that has associated tables gets one grid
  // per instance, each followed by the associated tables of that instance;
  // passThrough is copied into every grid for the reader.
  void WriteTable(const TReportClass& table, const TInstances& instances, bool oneInstancePerTable,
                  bool passThrough, const NVKXQZA20::TCIMContext& context) const;

 private:
  TTableGrid NewGrid(const TReportClass& table, int32_t instanceSlots, bool passThrough) const;
  static TTableGrid NarrowedRowGrid(const TTableGrid& grid, int32_t instanceSlots);
  void FillLabels(TTableGrid& grid, const TReportClass& table, TInstancePtr instance,
                  const NVKXQZA20::TCIMContext& context) const;
  void FillRow(TTableGrid& grid, int32_t row, const TReportClass& table, TInstancePtr instance) const;
  TTableCell MakeValueCell(const TReportClass& table, const TReportProperty& column, TInstancePtr instance,
                           bool firstColumn, bool& rowShowsNotAvailable) const;
  void OutputGrid(TTableGrid& grid, bool last) const;
  void WriteAssociatedTables(const TReportClass& table, TInstancePtr instance, bool oneInstancePerTable,
                             bool passThrough, const NVKXQZA20::TCIMContext& context) const;

  TTableRenderingHooks fHooks;
  std::string fTraceScope;
};

#endif
