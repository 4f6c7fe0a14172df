// Cases kept as data under tests/data/<topic>/: one row a line, fields
// separated by '|' and trimmed of spaces; lines that start with '#' (what the
// file checks, what its columns mean) and blank lines are left out. "\xNN" in
// a field is the byte NN ("\x7c" for '|') when NN are two hex digits.
#pragma once

#include <string>
#include <vector>

using DataRow = std::vector<std::string>;

// The rows of tests/data/`name`, each padded with empty fields to at least
// `columns`. A file that cannot be read or holds no row gives one row whose
// every field names the fault, so that its test fails.
std::vector<DataRow> ReadDataRows(const std::string& name, size_t columns = 0);
