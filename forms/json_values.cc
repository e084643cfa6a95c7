#include "forms/json_values.h"

namespace json_values {

std::string Dump(const json& value, int indent) {
  return value.dump(indent, ' ', false, json::error_handler_t::replace);
}

json Of(const std::string& text) { return text; }
json Of(const char* text) { return std::string(text); }
json Of(bool value) { return value; }
json Of(int32_t value) { return value; }

json Of(const TWriter::TNamespacePtr& ns) { return ns ? json(ns->GetName()) : json(nullptr); }

json Of(const NVKXQZA20::TCIMContext& context) {
  json object = json::object();
  for (const auto& entry : context) object[entry.first] = entry.second.ToString();
  return object;
}

json Of(const TWriter::TInstancePtr& instance) {
  if (!instance) return nullptr;
  return instance->GetReference().GetPath();
}

json Of(const TWriter::TInstances& instances) {
  json paths = json::array();
  for (const TWriter::TInstancePtr& instance : instances) paths.push_back(Of(instance));
  return paths;
}

json Of(const boost::shared_ptr<NVKXQZA20::ICIMClass>& cimClass) {
  return cimClass ? json(cimClass->GetName()) : json(nullptr);
}

json Of(const boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl>& declaration) {
  return declaration ? json(declaration->GetName()) : json(nullptr);
}

json Of(const TWriter::TPropertyPtr& property) { return property ? json(property->GetName()) : json(nullptr); }

json Of(const TReportParameters::TReportProperty& column) { return column.GetProperty(); }

json Of(const TReportParameters& page) {
  return json{{"report", page.GetReportName()}, {"link", page.GetLinkName()}};
}

json Of(const TTableGrid& grid) {
  json rows = json::array();
  for (int32_t r = 0; r < grid.fRows; ++r) {
    json cells = json::array();
    for (int32_t c = 0; c < grid.fColumns; ++c) {
      const TTableCell& cell = grid.fCells[static_cast<size_t>(r) * grid.fColumns + c];
      cells.push_back(json::array({cell.fText, cell.fAlternateText, cell.fMonospaced, cell.fMarkers[0],
                                   cell.fMarkers[1], cell.fMarkers[2]}));
    }
    rows.push_back(cells);
  }
  return json{{"rows", grid.fRows},
              {"columns", grid.fColumns},
              {"tableWidth", grid.fTableWidth},
              {"widths", grid.fColumnWidths},
              {"sortable", grid.fSortable},
              {"columnReport", grid.fColumnReport},
              {"rowReport", grid.fRowReport},
              {"passThrough", grid.fPassThrough},
              {"cells", rows}};
}

}  // namespace json_values
