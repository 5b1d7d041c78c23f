#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/ctl/Arguments.h"

namespace fonerix::ctl {

// One value of a row: text, or a number that JSON writes without quotes.
struct Cell {
    std::string text;
    bool number = false;

    static Cell Text(std::string s) { return {std::move(s), false}; }
    static Cell Number(long long n) { return {std::to_string(n), true}; }
};

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<Cell>> rows;
};

// A CSV field (RFC 4180): quoted when it holds a comma, a quote, a line break or starts or ends
// with a blank; quotes doubled.
std::string CsvField(std::string_view text);
// A JSON string literal of UTF-8 text: quotes, backslashes and control characters escaped,
// everything else (Cyrillic included) passed through as UTF-8.
std::string JsonString(std::string_view text);

// A list: aligned columns under a header, CSV with a header line, or a JSON array of objects.
void WriteTable(std::ostream& out, const Table& table, OutputFormat format);
// One record (the rows of `table` are taken as one object each, normally one): "name: value"
// lines, CSV with a header, or a JSON object (an array when there are several).
void WriteRecord(std::ostream& out, const Table& table, OutputFormat format);

}  // namespace fonerix::ctl
