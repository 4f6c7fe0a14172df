#include "tests/support/data_rows.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

std::vector<DataRow> ReadDataRows(const std::string& name, size_t columns)
{
    // By the source folder's Unix path, which Winelib and native tests alike can open.
    const char* source = std::getenv("QV_SOURCE_DIR");
    std::ifstream lines(std::string(source ? source : "") + "/tests/data/" + name);
    std::vector<DataRow> rows;
    for (std::string line; std::getline(lines, line);) {
        if (line.find_first_not_of(" \r") == std::string::npos || line[0] == '#')
            continue;
        rows.emplace_back();
        std::istringstream fields(line + "|");  // so that an empty last field is one too
        for (std::string text; std::getline(fields, text, '|');) {
            size_t first = text.find_first_not_of(" \r"), last = text.find_last_not_of(" \r");
            std::string field;
            for (size_t i = first; first != std::string::npos && i <= last; ++i) {
                bool escape = text.compare(i, 2, "\\x") == 0 && i + 3 <= last && std::isxdigit(text[i + 2]) &&
                              std::isxdigit(text[i + 3]);
                field += escape ? char(std::strtoul(text.substr(i + 2, 2).c_str(), nullptr, 16)) : text[i];
                i += escape ? 3 : 0;
            }
            rows.back().push_back(field);
        }
        if (rows.back().size() < columns)
            rows.back().resize(columns);
    }
    if (rows.empty())
        rows.push_back(DataRow(8, "no rows in tests/data/" + name));
    return rows;
}
