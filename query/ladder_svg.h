// The 天梯图 as SVG: one self-contained picture (no external fonts, images or
// scripts), the one writer behind tianti-cli --ladder and the page's view, so
// both give the same bytes for the same scope, terms and marks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "query/engine.h"
#include "query/ladder.h"
#include "query/resolver.h"

namespace tianti::query {

// The ladder of the list of `scope` (kCpu or kGpu; kAll throws
// std::invalid_argument): with no main term the whole list, else the rows
// the query of `terms` finds, without the table's limit; the rows of
// `marks` in that list are added if need be and highlighted with their
// 编号. `terms` are normalized (NormalizeTerm), as a query reads them.
// UTF-8 text.
std::string LadderSvg(Scope scope, const Terms& terms, const std::vector<ListRow>& marks);

// The SVG of a laid-out ladder; `query` names what was asked (empty for the
// whole list) and goes into the caption as it is, escaped.
std::string LadderSvgText(const Ladder& ladder, std::u16string_view query);

// How a query's terms read in the caption: the terms in force under the
// rule they choose, joined by 且 (AND) or 或 (OR); empty with no main term.
std::u16string QueryCaption(const Terms& terms);

}  // namespace tianti::query
