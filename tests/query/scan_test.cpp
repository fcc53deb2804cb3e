// The scan against a plain reference: every row upper-cased in full and
// searched, on the real lists, with terms cut from the rows themselves, on
// every implementation of the row filter this processor has.
#include <cstdint>
#include <vector>

#include "query/row_search.h"
#include "tests/query/query_fixture.h"

namespace tianti::testing {
namespace {

using query::ScanPath;
using ui::Ctl;

// A small deterministic generator, the same on every platform.
class Lcg {
 public:
  std::uint32_t Next(std::uint32_t bound) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state_ >> 33) % bound;
  }

 private:
  std::uint64_t state_ = 20260408;
};

class ScanTest : public QueryTest {
 protected:
  ~ScanTest() override { query::UseScanPath(saved_); }

  // The implementations to run each query with.
  static std::vector<ScanPath> Paths() {
    std::vector<ScanPath> paths;
    for (ScanPath p : {ScanPath::kPortable, ScanPath::kSse2, ScanPath::kAvx2}) {
      if (query::ScanPathAvailable(p)) paths.push_back(p);
    }
    return paths;
  }

  // A term typed by the user, not only spaces: mostly a piece of a row, its
  // letters in random case; sometimes one character, a whole row, a piece
  // across the end of a row into the next, or a piece with a NUL.
  std::u16string Piece(Lcg& rng) {
    std::u16string piece;
    while (query::Trim(piece).empty()) piece = AnyPiece(rng);
    return piece;
  }
  std::u16string AnyPiece(Lcg& rng) {
    const int slot = 1 + static_cast<int>(rng.Next(4733));
    const std::u16string row(form.RankRows[slot]);
    std::u16string piece;
    switch (rng.Next(8)) {
      case 0:
        piece = row.substr(rng.Next(static_cast<std::uint32_t>(row.size())), 1);
        break;
      case 1:
        piece = row;
        break;
      case 2:  // the end of one row, a line break, the start of the next
        piece = row.substr(row.size() - 1 - rng.Next(4)) + u"\n" +
                std::u16string(form.RankRows[slot + 1]).substr(0, 1 + rng.Next(4));
        break;
      case 3:
        piece = row.substr(rng.Next(40), 1 + rng.Next(5));
        piece.insert(rng.Next(static_cast<std::uint32_t>(piece.size() + 1)), 1, u'\0');
        break;
      default: {
        const std::size_t len = 1 + rng.Next(12);
        const std::size_t at = rng.Next(static_cast<std::uint32_t>(row.size() - len + 1));
        piece = row.substr(at, len);
        break;
      }
    }
    for (char16_t& c : piece) {
      if (c >= u'A' && c <= u'Z' && rng.Next(2)) c = static_cast<char16_t>(c + 0x20);
      if (c >= u'a' && c <= u'z' && rng.Next(2)) c = static_cast<char16_t>(c - 0x20);
    }
    return piece;
  }

  void Check(const Terms& t, Ctl option, char16_t excluded) {
    ui.ClearMessages();
    Query(t, option);
    const auto want = Expected(t, excluded, 31);
    const auto got = Rows();
    ASSERT_EQ(got.size(), want.size() > 30 ? 30u : want.size()) << ToString(t.main) << " / " << ToString(t.or1);
    for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], want[i]) << i;
    ASSERT_EQ(ui.messages().size(), want.size() > 30 ? 1u : 0u);
  }

 private:
  ScanPath saved_ = query::ActiveScanPath();
};

TEST_F(ScanTest, RandomTermsAgreeWithThePlainSearch) {
  Lcg rng;
  const std::pair<Ctl, char16_t> scopes[] = {{Ctl::Option1, u'A'}, {Ctl::Option2, u'G'}, {Ctl::Option3, u'C'}};
  for (ScanPath path : Paths()) {
    ASSERT_TRUE(query::UseScanPath(path));
    for (int round = 0; round < 150; ++round) {
      const auto& [option, excluded] = scopes[round % 3];
      Terms t;
      t.main = Piece(rng);
      switch (round % 5) {
        case 0:
          break;  // a
        case 1:
          t.also = Piece(rng);
          break;  // b
        case 2:
          t.or1 = Piece(rng);
          break;  // c
        case 3:
          t.or1 = Piece(rng);
          t.or2 = Piece(rng);
          break;  // d
        default:  // e
          t.or1 = Piece(rng);
          t.or2 = Piece(rng);
          t.or3 = Piece(rng);
          break;
      }
      SCOPED_TRACE(static_cast<int>(path));
      Check(t, option, excluded);
    }
  }
}

// Rule e with nothing found: the scan visits every slot on every path.
TEST_F(ScanTest, NothingFoundVisitsEverySlot) {
  const Terms t{u"geforce rtx 9090", u"", u"radeon rx 9990", u"core i11", u"ryzen 13"};
  for (ScanPath path : Paths()) {
    ASSERT_TRUE(query::UseScanPath(path));
    for (Ctl option : {Ctl::Option1, Ctl::Option2, Ctl::Option3}) {
      ui.ClearMessages();
      Query(t, option);
      EXPECT_TRUE(Rows().empty());
      EXPECT_EQ(form.ScanIndex, 4737);
      EXPECT_TRUE(ui.messages().empty());
    }
  }
}

TEST_F(ScanTest, RareTermsAtTheEndsOfTheLists) {
  // Terms found only in the last rows of each list, so the scan runs to them.
  for (int slot : {3011, 3012, 4733, 4734}) {
    const std::u16string row(form.RankRows[slot]);
    const std::u16string number = row.substr(0, 7);  // "|C3012|"
    Check({number}, Ctl::Option1, u'A');
    Check({u"no such thing", u"", u"nor this", u"nor that", number}, Ctl::Option1, u'A');
    Check({row}, Ctl::Option1, u'A');         // the whole row
    Check({row + u" "}, Ctl::Option1, u'A');  // longer than any row
  }
}

// Rows set by hand in the middle of the loaded lists: the scan must look at
// the slots themselves, not at the text the lists were loaded from.
TEST_F(ScanTest, ReplacedSlotsAreSearchedAsTheyAre) {
  PutRow(1500, MakeRow(u'C', 1500, u"Handmade Chip", 1234));
  PutRow(4000, MakeRow(u'G', 988, u"Handmade Card", 5));
  PutRow(4735, MakeRow(u'G', 9999, u"Handmade Extra", 1));
  PutRow(2000, u"");
  Check({u"handmade"}, Ctl::Option1, u'A');
  EXPECT_EQ(Rows().size(), 3u);
  Check({u"handmade chip", u"", u"handmade card"}, Ctl::Option3, u'C');
  EXPECT_EQ(Rows().size(), 1u);
  Check({u"|C2000|"}, Ctl::Option1, u'A');
  EXPECT_TRUE(Rows().empty());
  // Scan over everything with the replaced slots in between.
  Check({u"|"}, Ctl::Option2, u'G');
  Check({u"5|"}, Ctl::Option3, u'C');
}

}  // namespace
}  // namespace tianti::testing
