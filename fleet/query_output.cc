#include "fleet/query_output.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "forms/display_text.h"

namespace {

// Characters, not bytes: continuation bytes of UTF-8 take no column.
size_t Width(const std::string& text) {
  size_t width = 0;
  for (unsigned char c : text) width += (c & 0xC0) != 0x80 ? 1 : 0;
  return width;
}

std::string Shown(const TFleetValue& value) { return VisibleText(value.fText); }

void WriteTableLine(const std::vector<std::string>& cells, const std::vector<size_t>& widths, std::ostream& out) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    line += cells[i];
    if (i + 1 < cells.size()) line += std::string(widths[i] - Width(cells[i]) + 2, ' ');
  }
  out << line << "\n";
}

void WriteTable(const TFleetQueryResult& result, std::ostream& out) {
  std::vector<std::vector<std::string>> lines{result.fColumns};
  for (const TFleetRow& row : result.fRows) {
    std::vector<std::string> cells;
    for (const TFleetValue& value : row) cells.push_back(Shown(value));
    lines.push_back(std::move(cells));
  }
  std::vector<size_t> widths(result.fColumns.size(), 0);
  for (const std::vector<std::string>& cells : lines) {
    for (size_t i = 0; i < cells.size(); ++i) widths[i] = std::max(widths[i], Width(cells[i]));
  }
  std::vector<std::string> rule;
  for (size_t width : widths) rule.push_back(std::string(width, '-'));
  lines.insert(lines.begin() + 1, rule);
  for (const std::vector<std::string>& cells : lines) WriteTableLine(cells, widths, out);
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

void WriteCsvLine(const std::vector<std::string>& fields, std::ostream& out) {
  for (size_t i = 0; i < fields.size(); ++i) out << (i ? "," : "") << CsvField(fields[i]);
  out << "\r\n";
}

void WriteCsv(const TFleetQueryResult& result, std::ostream& out) {
  WriteCsvLine(result.fColumns, out);
  for (const TFleetRow& row : result.fRows) {
    std::vector<std::string> fields;
    for (const TFleetValue& value : row) fields.push_back(value.fText);
    WriteCsvLine(fields, out);
  }
}

nlohmann::ordered_json JsonOf(const TFleetValue& value) {
  switch (value.fType) {
    case EFleetType::kNull:
      return nullptr;
    case EFleetType::kInteger:
      return std::stoll(value.fText);
    case EFleetType::kReal:
      return std::stod(value.fText);
    default:
      return value.fText;
  }
}

void WriteJson(const TFleetQueryResult& result, std::ostream& out) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const TFleetRow& row : result.fRows) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (size_t i = 0; i < row.size(); ++i) object[result.fColumns[i]] = JsonOf(row[i]);
    rows.push_back(std::move(object));
  }
  out << rows.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

}  // namespace

void WriteQueryResult(const TFleetQueryResult& result, const std::string& format, std::ostream& out) {
  if (format == "table") {
    WriteTable(result, out);
  } else if (format == "csv") {
    WriteCsv(result, out);
  } else if (format == "json") {
    WriteJson(result, out);
  } else {
    throw std::invalid_argument("-f must be table, csv or json, not " + format);
  }
}
