#pragma once

#include <sqlite3.h>
#include <string>
#include <vector>

// Reads every value of every table of `db` as text, the way a query over a
// connection would, so that a fuzz run reaches the readers' row decoding.
inline void ReadEveryTable(sqlite3 *db)
{
    std::vector<std::string> tables;
    sqlite3_stmt *list = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_schema WHERE type = 'table'", -1, &list, nullptr)
        == SQLITE_OK) {
        while (sqlite3_step(list) == SQLITE_ROW)
            tables.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(list, 0)));
    }
    sqlite3_finalize(list);
    for (const std::string &table : tables) {
        std::string quoted;
        for (char c : table)
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        const std::string sql = "SELECT * FROM \"" + quoted + "\"";
        sqlite3_stmt *q = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
            sqlite3_finalize(q);
            continue;
        }
        while (sqlite3_step(q) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(q); ++c)
                sqlite3_column_text(q, c);
        }
        sqlite3_finalize(q);
    }
}
