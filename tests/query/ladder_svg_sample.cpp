// Prints the SVG of a made-up ladder whose descriptions and query hold what
// XML must escape or cannot hold at all, for tests/query/ladder_svg_test.py.
#include <iostream>
#include <string>
#include <vector>

#include "query/ladder.h"
#include "query/ladder_svg.h"

int main() {
  using tianti::query::LadderEntry;
  using tianti::query::ListRow;
  // Descriptions as the test reads them back, with U+FFFD for what XML
  // cannot hold: a control character, a lone surrogate, U+FFFE.
  const std::u16string hostile[] = {
      u"<script>alert('x')</script> & \"AMD\"",
      u"GeForce ]]> <!-- --> &amp; \x01 end",
      u"Intel \xD800 Arc \uFFFE 测试卡 < 9 >",
      u"&#x3C; plain",
  };
  std::vector<LadderEntry> entries;
  int score = 9000;
  for (int i = 0; i < 4; ++i) {
    ListRow row;
    row.list = u'G';
    row.rank = i + 1;
    row.description = hostile[i];
    row.score = score;
    score -= 1500;
    entries.push_back({row, i == 1});
  }
  const auto ladder = tianti::query::LayOutLadder(u'G', 9000, entries);
  std::cout << tianti::query::LadderSvgText(ladder, u"</text><text>\"&'");
  return std::cout ? 0 : 1;
}
