#include "results_table.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

std::string csvCell(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::string number(double value, int decimals) {
  if (std::isnan(value)) return "-";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string signedNumber(double value, int decimals) {
  std::string text = number(value, decimals);
  return text[0] == '-' ? text : "+" + text;
}

void ResultsTable::add(Row row, int places) {
  rows.push_back(std::move(row));
  decimals.push_back(places);
}

void ResultsTable::print() const {
  std::vector<std::vector<std::string>> cells = {
      {"measure", "unit", "oru (script)", "plain C++", "LOVE 11", "comparison", "target", "met"}};
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    cells.push_back({row.measure, row.unit, number(row.oru, decimals[i]),
                     number(row.cpp, decimals[i]), number(row.peer, decimals[i]), row.comparison,
                     row.target, row.met});
  }
  std::vector<size_t> widths(cells[0].size(), 0);
  for (const auto& line : cells)
    for (size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], line[c].size());
  for (size_t r = 0; r < cells.size(); ++r) {
    std::string text;
    for (size_t c = 0; c < cells[r].size(); ++c) {
      const std::string& cell = cells[r][c];
      bool right = c >= 2 && c <= 5;  // numbers align right
      std::string pad(widths[c] - cell.size(), ' ');
      text += right ? pad + cell : cell + pad;
      if (c + 1 < cells[r].size()) text += "  ";
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    std::printf("%s\n", text.c_str());
    if (r == 0) {
      size_t total = 0;
      for (size_t width : widths) total += width + 2;
      std::printf("%s\n", std::string(total - 2, '-').c_str());
    }
  }
}

bool ResultsTable::writeCsv(const std::string& path) const {
  std::ofstream out(path);
  out << "measure,unit,oru,cpp,love,comparison,target,met\n";
  for (const Row& row : rows) {
    out << csvCell(row.measure) << ',' << csvCell(row.unit) << ',' << number(row.oru, 6) << ','
        << number(row.cpp, 6) << ',' << number(row.peer, 6) << ',' << number(row.comparisonValue, 6)
        << ',' << csvCell(row.target) << ',' << csvCell(row.met) << '\n';
  }
  return static_cast<bool>(out);
}
