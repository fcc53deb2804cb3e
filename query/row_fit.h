// How well a row, as read, fits a name, as read: whether it can be the answer
// at all, and if so how close it comes, so that the closest row answers and a
// tie is no answer.
#pragma once

#include <tuple>

#include "query/name_reading.h"

namespace tianti::query::fit {

struct Fit {
  // Any of these and the row is another device.
  bool other_maker = false;    // the name's and the row's makers share none
  bool other_line = false;     // both name lines and share none: "GTX" and "RTX"
  bool other_form = false;     // a laptop name and a desktop row, a Max-Q row for "Mobile"
  bool other_variant = false;  // "14core" and "18core", "3gb" and "6gb"
  int missing = 0;             // the name's model words the row lacks
  int added_models = 0;        // the row's model words the name lacks

  // Of rows that can be the answer, the one with the least of these wins.
  int form_relaxed = 0;         // a laptop row for a name that says no form, a laptop row for "Max-Q"
  int variant_relaxed = 0;      // a variant one of the two says and the other does not
  int added_words = 0;          // the row's other words the name lacks, clocks and tiers included
  int added_clocks = 0;         // the row's clocks the name lacks
  int unused = 0;               // the name's other words the row lacks
  int unused_plain = 0;         // of those, the ones other than "graphics"
  int matched = 0;              // whole words in both; a cut word does not count
  int matched_models = 0;       // of those, model words and tiers
  int combined = 0;             // 1: the fit of one model of a combined row
  int dropped = 0;              // how many more or fewer words the row drops than the name
  int not_verbatim = 0;         // 1 unless the name is the row's own text
  bool processor_row = false;   // the row names a processor family: an APU's graphics
  bool processor_name = false;  // so does the name

  bool OtherDevice() const { return other_maker || other_line || other_form || other_variant; }
  // Smaller is better.
  auto Key() const {
    return std::make_tuple(OtherDevice(), missing, added_models, form_relaxed, variant_relaxed, added_words, unused,
                           combined, dropped, not_verbatim);
  }
  // How well a row answers; rows of the two lists are weighed without the
  // dropped words, so that the CPU row wins "equally well".
  auto AnswerKey() const { return std::make_tuple(form_relaxed, variant_relaxed, added_words, unused); }
  auto ListKey() const {
    return std::make_tuple(form_relaxed, variant_relaxed, added_words, unused, combined, dropped, not_verbatim);
  }
};

// The fit of `row` to `name`; `may_be_cut` when the row fills its column and
// its last word may be the start of one of the name's.
Fit FitRow(const reading::Reading& row, bool may_be_cut, const reading::Reading& name);

// Whether a row of that fit may answer for the name.
bool Answers(const Fit& fit, const reading::Reading& name);

// Whether a row of that fit is close enough to be offered as a candidate.
bool Near(const Fit& fit, const reading::Reading& name);

}  // namespace tianti::query::fit
