#pragma once

#include <cmath>
#include <string>
#include <vector>

// One row of the benchmark's results.
struct Row {
  std::string measure, unit;
  double oru = NAN, cpp = NAN;
  std::string comparison;  // as printed: "0.98x" or "+12.3"
  double comparisonValue = NAN;
  std::string target, met;
  double peer = NAN;  // the LOVE program, for the drawing rows
};

// The results, printed as an aligned text table and written as CSV.
class ResultsTable {
 public:
  // Adds a row whose numbers are printed with places decimals.
  void add(Row row, int places);
  // Prints the rows as an aligned text table.
  void print() const;
  // Writes the rows as CSV to path, numbers in full; false when it cannot.
  bool writeCsv(const std::string& path) const;

 private:
  std::vector<Row> rows;
  std::vector<int> decimals;
};

// value with decimals places, or "-" for NAN.
std::string number(double value, int decimals);

// A difference with its sign always shown: "+12.3", "-0.4".
std::string signedNumber(double value, int decimals);
