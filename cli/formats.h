// The query's result for scripts: the rows as tab-separated lines or as one
// JSON object, besides the framed table of the results box.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "query/engine.h"

namespace tianti::cli {

enum class Format { kTable, kTsv, kJson };

// The words of --scope (all, cpu, gpu) and --format (table, tsv, json).
std::optional<query::Scope> ScopeNamed(std::u16string_view word);
std::optional<Format> FormatNamed(std::u16string_view word);

// Appends `text` as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::u16string_view text);
// Appends `texts` as a JSON array of strings.
void AppendJsonStrings(std::string& out, const std::vector<std::u16string>& texts);

// One ranking row taken apart: list letter 'C' or 'G', rank, the description
// without its fill spaces, score.
struct RowFields {
  char list = 0;
  long rank = 0;
  std::u16string description;
  long score = 0;
};

// Splits a ranking row ("|C1   |AMD Ryzen ...   |99327|") into its fields;
// nothing for any other line of the table (borders, the head).
std::optional<RowFields> SplitRow(std::u16string_view line);

// The rows of a results-box text, in order.
std::vector<RowFields> TableRows(std::u16string_view table);

// "list<TAB>rank<TAB>description<TAB>score\n" per row, UTF-8.
std::string TsvText(const std::vector<RowFields>& rows);

struct JsonResult {
  std::vector<RowFields> rows;
  char rule = 0;  // 'a'..'e'; 0 when no query ran (no main term)
  bool truncated = false;
  std::vector<std::u16string> messages;
};

// One UTF-8 JSON object and a line end.
std::string JsonText(const JsonResult& result);

}  // namespace tianti::cli
