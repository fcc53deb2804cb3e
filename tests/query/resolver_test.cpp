// The resolver against the compiled lists: one table of names as systems and
// people write them, and the row each must resolve to, or none.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "common/utf8.h"
#include "query/resolver.h"

namespace tianti::query {
namespace {

struct Case {
  const char* name;  // UTF-8
  Scope scope;
  const char* row;  // "C114", "G5"; "" when no single row may answer
};

constexpr Scope kAll = Scope::kAll;
constexpr Scope kCpu = Scope::kCpu;
constexpr Scope kGpu = Scope::kGpu;

// Add cases here.
const Case kCases[] = {
    // Processors as Windows (Win32_Processor.Name) and /proc/cpuinfo name them.
    {"Intel(R) Core(TM) i7-7700 CPU @ 3.60GHz", kAll, "C1712"},
    {"13th Gen Intel(R) Core(TM) i9-13900K", kAll, "C142"},
    {"11th Gen Intel(R) Core(TM) i7-1165G7 @ 2.80GHz", kAll, "C1596"},
    {"Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz", kAll, "C2196"},
    {"Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz", kAll, "C1095"},
    {"AMD Ryzen 9 7950X 16-Core Processor", kAll, "C114"},         // not the 7950X3D, C111
    {"AMD Ryzen 7 7840HS w/ Radeon 780M Graphics", kAll, "C542"},  // not the PRO, C599
    {"AMD Ryzen 5 3600 6-Core Processor", kAll, "C1067"},
    {"AMD Ryzen Threadripper 3970X 32-Core Processor", kAll, "C107"},
    {"AMD FX(tm)-8350 Eight-Core Processor", kAll, "C2136"},
    {"AMD A10-7850K Radeon R7, 12 Compute Cores 4C+8G", kAll, "C2846"},
    {"AMD Ryzen 7 7445H with Radeon 740M Graphics", kAll, "C938"},  // a cut row with the words
    {"AMD Ryzen 7 7445HS", kAll, "C989"},
    {"AMD Ryzen 7 4980U Microsoft Surface Edition", kAll, "C1082"},  // cut: "...Surface Edit"
    {"Intel(R) Core(TM) Ultra 7 155H", kAll, "C687"},
    {"AMD EPYC 7763 64-Core Processor", kAll, "C27"},
    {"Intel(R) Xeon(R) Gold 6238 CPU @ 2.10GHz", kAll, "C522"},
    {"AMD Ryzen AI 9 HX 370 w/ Radeon 890M", kAll, "C379"},
    // Written by a person.
    {"ryzen 9 7950x", kCpu, "C114"},
    {"i9-13900KF", kAll, "C146"},
    {"Core i7 7700", kAll, "C1712"},
    // Adapters as Windows (Win32_VideoController.Name) names them, and the
    // bracketed model of the PCI ID list's entries.
    {"NVIDIA GeForce RTX 4090", kAll, "G5"},  // not "4090 D" nor "4090 Laptop GPU"
    {"NVIDIA GeForce RTX 4090 Laptop GPU", kAll, "G37"},
    {"GeForce RTX 4090 D", kAll, "G19"},
    {"NVIDIA GeForce GTX 1050 Ti", kAll, "G451"},
    {"NVIDIA GeForce RTX 3060", kAll, "G136"},  // not "3060 12GB" nor "3060 8GB"
    {"NVIDIA Quadro P4000", kGpu, "G273"},
    {"NVIDIA RTX PRO 6000 Blackwell Workstation Edition", kAll, "G4"},  // cut: "...Editi"
    {"AMD Radeon RX 580 Series", kAll, "G349"},                         // not "580 2048SP" nor "580X"
    {"Radeon RX 580 2048SP", kAll, "G395"},
    {"AMD Radeon RX 580X", kAll, "G402"},
    {"AMD Radeon RX 6700 XT", kAll, "G96"},
    {"AMD Radeon 780M Graphics", kAll, "G421"},
    {"AMD Radeon(TM) Vega 8 Graphics", kAll, "G1231"},
    {"Intel(R) UHD Graphics 620", kAll, "G1444"},
    {"Intel(R) HD Graphics 620", kAll, "G1524"},
    {"Intel(R) Iris(R) Xe Graphics", kAll, "G883"},
    {"Intel(R) Arc(TM) A770 Graphics", kAll, "G219"},
    {"ATI Mobility Radeon HD 5870", kAll, "G1421"},  // 移动版
    {"GeForce RTX 3060 Laptop GPU", kGpu, "G228"},
    {"NVIDIA GeForce RTX 2080 Super with Max-Q Design", kAll, "G213"},
    {"AMD Radeon(TM) RX Vega 11 Graphics", kAll, "G1025"},  // not "...Vega 11 Processor"
    {"AMD Radeon Pro W6800", kAll, "G90"},
    // A processor's name is an integrated GPU's row word for word: the kind
    // of list decides, and in ALL the CPU row wins a tie.
    {"AMD Ryzen 5 5600G with Radeon Graphics", kAll, "C937"},
    {"AMD Ryzen 5 5600G with Radeon Graphics", kCpu, "C937"},
    {"AMD Ryzen 5 5600G with Radeon Graphics", kGpu, "G902"},
    {"AMD Ryzen 9 7950X 16-Core Processor", kGpu, "G814"},  // "Radeon Ryzen 9 7950X 16-Core"
    // No single row.
    {"AMD EPYC", kAll, ""},                                 // dozens of rows
    {"Intel(R) Xeon(R) Processor", kAll, ""},               // not the one "Intel Xeon@2.00GHz"
    {"AMD Radeon(TM) Graphics", kAll, ""},                  // any Ryzen's graphics
    {"Radeon RX 470/480/570/570X/580/580X/590", kGpu, ""},  // a list of models
    {"Radeon RX 6800/6800 XT / 6900 XT", kGpu, ""},
    {"Microsoft Basic Display Adapter", kAll, ""},
    {"Intel(R) Core(TM)2 Duo CPU E8400 @ 3.00GHz", kAll, ""},  // not in the lists
    {"NVIDIA GeForce RTX 4090", kCpu, ""},                     // the scope holds no such row
    {"1002:67df", kAll, ""},
    {"", kAll, ""},
    {"(R)(TM) CPU Processor", kAll, ""},
};

std::string Number(const ListRow& row) { return static_cast<char>(row.list) + std::to_string(row.rank); }

TEST(Resolver, CaseTable) {
  for (const Case& c : kCases) {
    const Resolution r = Resolve(FromUtf8(c.name), c.scope);
    const std::string got = r.row ? Number(*r.row) : "";
    EXPECT_EQ(got, c.row) << "name \"" << c.name << "\", scope " << static_cast<int>(c.scope);
    if (r.row) {
      EXPECT_TRUE(r.candidates.empty()) << c.name;
      EXPECT_EQ(RowAt(r.row->list, r.row->rank), r.row) << c.name;
    }
  }
}

TEST(Resolver, NoSingleRowOffersTheClosestRowsBestFitThenRank) {
  const Resolution epyc = Resolve(u"AMD EPYC", Scope::kAll);
  ASSERT_FALSE(epyc.row);
  ASSERT_EQ(epyc.candidates.size(), static_cast<std::size_t>(kMaxCandidates));
  for (std::size_t i = 0; i < epyc.candidates.size(); ++i) {
    EXPECT_EQ(ToUtf8(epyc.candidates[i].description).rfind("AMD EPYC ", 0), 0u);
    if (i > 0) {
      EXPECT_LT(epyc.candidates[i - 1].rank, epyc.candidates[i].rank);
    }
  }
  // Each listed model fits as well as the others; the rows of just the
  // listed models come before rows that add a word.
  const Resolution list = Resolve(u"Radeon RX 470/480/570/570X/580/580X/590", Scope::kGpu);
  ASSERT_FALSE(list.candidates.empty());
  for (const ListRow& row : list.candidates) {
    EXPECT_EQ(ToUtf8(row.description).rfind("Radeon RX ", 0), 0u) << ToUtf8(row.description);
  }
  // A name no row shares a word with has none.
  EXPECT_TRUE(Resolve(u"Microsoft Basic Display Adapter", Scope::kAll).candidates.empty());
}

TEST(Resolver, ReadsNamesAndRowsAlike) {
  EXPECT_EQ(ResolverWords(u"AMD Ryzen 9 7950X 16-Core Processor"),
            (std::vector<std::string>{"ryzen", "9", "7950x", "16core"}));
  EXPECT_EQ(ResolverWords(u"Intel(R) Core(TM)2 Quad CPU Q9550 @ 2.83 GHz"),
            (std::vector<std::string>{"core2", "quad", "q9550", "2.83ghz"}));
  EXPECT_EQ(ResolverWords(u"Intel® Core™ i7-7700"), (std::vector<std::string>{"core", "i7", "7700"}));
  EXPECT_EQ(ResolverWords(u"AMD Ryzen 5 5600G with Radeon Graphics"),
            ResolverWords(u"Ryzen 5 5600G w/ Radeon Graphics"));
}

TEST(Resolver, OddTextResolvesToNothing) {
  std::u16string long_name;
  for (int i = 0; i < 2000; ++i) long_name += u"RTX 4090 " + std::u16string(1, u'0' + i % 10) + u"a ";
  const std::u16string odd[] = {
      long_name,                     // more words than are read
      std::u16string(5000, u'9'),    // one word longer than any row
      u"\xDC00\xD800 \xD800",        // lone surrogates
      u"w/ w/ w/ with with radeon",  // phrases with nothing after them
      u"+ + . _ # (r) (tm) \u00ae \u2122",
      u"双卡 移动版 华硕",
  };
  for (const std::u16string& name : odd) {
    for (Scope scope : {Scope::kAll, Scope::kCpu, Scope::kGpu}) {
      const Resolution r = Resolve(name, scope);
      EXPECT_FALSE(r.row) << ToUtf8(name.substr(0, 40));
      EXPECT_LE(r.candidates.size(), static_cast<std::size_t>(kMaxCandidates));
    }
  }
}

TEST(Resolver, RowsAroundStopAtTheEndsOfTheList) {
  const ListRow first = *RowAt(u'C', 1);
  const std::vector<ListRow> top = RowsAround(first, 2);
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[0], first);
  EXPECT_EQ(top[2].rank, 3);
  const ListRow g5 = *RowAt(u'G', 5);
  EXPECT_EQ(RowsAround(g5, 5).size(), 10u);  // four above, five below
  const int last = static_cast<int>(RowsAround(*RowAt(u'G', 1), 100000).size());
  const ListRow end = *RowAt(u'G', last);
  EXPECT_EQ(RowsAround(end, 1).size(), 2u);
  EXPECT_FALSE(RowAt(u'G', last + 1));
  EXPECT_FALSE(RowAt(u'C', 0));
  EXPECT_EQ(RowsAround(g5, 0), std::vector<ListRow>{g5});
}

}  // namespace
}  // namespace tianti::query

namespace tianti::query {
namespace {

// Every row's own text, in its own list, names that row, unless another row
// of the list has the same text.
TEST(Resolver, EveryRowResolvesToItself) {
  for (char16_t list : {u'C', u'G'}) {
    const std::vector<ListRow> rows = RowsAround(*RowAt(list, 1), 100000);
    std::map<std::u16string_view, int> texts;
    for (const ListRow& row : rows) ++texts[row.description];
    int wrong = 0, checked = 0;
    for (const ListRow& row : rows) {
      if (texts[row.description] > 1) continue;
      ++checked;
      const Resolution r = Resolve(row.description, list == u'C' ? Scope::kCpu : Scope::kGpu);
      if (!r.row || !(*r.row == row)) {
        ++wrong;
        ADD_FAILURE() << ToUtf8(row.description) << " -> "
                      << (r.row ? ToUtf8(r.row->description) : std::string("none"));
      }
    }
    std::printf("self-resolution %c: %d of %d unique rows\n", static_cast<char>(list), checked - wrong, checked);
  }
}

}  // namespace
}  // namespace tianti::query
