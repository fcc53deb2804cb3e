// The rows compiled into the program must be exactly the rows of the list
// files they were generated from.
#include "data/ranking_rows.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/rowcheck.h"

namespace td = tianti::data;
namespace rc = tianti::rowcheck;

namespace {

std::vector<std::u16string> ReadRows(const char* name) {
  std::ifstream in(std::string(TIANTI_DATA_DIR) + "/" + name, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const rc::ListResult r = rc::CheckList(bytes, name[0] == 'c' ? rc::kCpuLetter : rc::kGpuLetter, name);
  EXPECT_TRUE(r.problems.empty()) << name;
  return r.rows;
}

void ExpectSameRows(const td::RowList& list, const std::vector<std::u16string>& rows) {
  ASSERT_EQ(static_cast<std::size_t>(list.count), rows.size());
  EXPECT_EQ(list.start[0], 0u);
  for (int i = 0; i < list.count; ++i) {
    ASSERT_EQ(list.Row(i), rows[static_cast<std::size_t>(i)]) << "row " << i + 1;
    ASSERT_EQ(list.text[list.start[i + 1] - 1], u'\n') << "row " << i + 1;
  }
}

}  // namespace

TEST(CompiledRows, MatchTheListFiles) {
  ExpectSameRows(td::kCpuRows, ReadRows("cpu.txt"));
  ExpectSameRows(td::kGpuRows, ReadRows("gpu.txt"));
}

TEST(CompiledRows, CountsAndEndRows) {
  ASSERT_EQ(td::kCpuRows.count, 3012);
  ASSERT_EQ(td::kGpuRows.count, 1722);
  EXPECT_EQ(td::kCpuRows.Row(0), u"|C1   |AMD Ryzen Threadripper 7970X            |99327|");
  EXPECT_EQ(td::kCpuRows.Row(3011), u"|C3012|Intel Pentium G4560T@2.90GHz            | 2994|");
  EXPECT_EQ(td::kGpuRows.Row(0), u"|G1   |GeForce RTX 5090 D                      |41290|");
  EXPECT_EQ(td::kGpuRows.Row(1721), u"|G1722|Quadro FX 5600                          |  518|");
}

TEST(CompiledRows, CjkRowsAreShorterButEquallyWide) {
  const std::u16string_view dual = td::kGpuRows.Row(882);
  EXPECT_EQ(dual, u"|G883 |Radeon R7 + R7 350双卡                  | 1982|");
  EXPECT_EQ(dual.size(), 52u);
  EXPECT_EQ(rc::DisplayWidth(dual), 54u);
  const std::u16string_view mobile = td::kGpuRows.Row(1218);
  EXPECT_EQ(mobile, u"|G1219|移动版 Radeon HD 5870                   | 1075|");
  EXPECT_EQ(mobile.size(), 51u);
  EXPECT_EQ(rc::DisplayWidth(mobile), 54u);
}

// A search for 双卡 finds every two-card row that holds any of the word: a
// description too wide keeps it by leaving out the space before its "+".
TEST(CompiledRows, NoTwoCardRowHoldsHalfOfTheWord) {
  int whole = 0;
  for (int i = 0; i < td::kGpuRows.count; ++i) {
    const std::u16string_view row = td::kGpuRows.Row(i);
    if (row.find(u'双') == std::u16string_view::npos) continue;
    EXPECT_NE(row.find(u"双卡"), std::u16string_view::npos) << "row G" << i + 1;
    ++whole;
  }
  EXPECT_EQ(whole, 184);
  EXPECT_EQ(td::kGpuRows.Row(1420), u"|G1421|Radeon HD 8650G N HD 8650G+ HD 8570M双卡|  773|");
}
