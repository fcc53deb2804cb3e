#include "query/row_fit.h"

#include <string_view>

#include "query/resolver_words.h"

namespace tianti::query::fit {

namespace {

using reading::Kind;
using reading::kMaxWords;
using reading::Reading;
using reading::Word;

// What a variant word tells apart: a memory size, a core count, an OEM part.
char VariantClass(std::string_view w) {
  if (w.size() > 2 && (w.substr(w.size() - 2) == "gb" || w.substr(w.size() - 2) == "mb")) return 'm';
  if (w.size() > 4 && w.substr(w.size() - 4) == "core") return 'c';
  return 'o';
}

}  // namespace

Fit FitRow(const Reading& row, bool may_be_cut, const Reading& name) {
  bool used[kMaxWords] = {};
  Fit fit;
  fit.other_maker = row.makers != 0 && name.makers != 0 && (row.makers & name.makers) == 0;
  fit.dropped = row.dropped > name.dropped ? row.dropped - name.dropped : name.dropped - row.dropped;
  if (row.forms != name.forms && (row.forms & name.forms) == 0) {
    if (name.forms == 0 || ((name.forms & words::kMaxQ) && row.forms == words::kLaptop)) {
      fit.form_relaxed = 1;
    } else {
      fit.other_form = true;
    }
  }

  // The row's variant words the name lacks, by class.
  char row_variants[kMaxWords];
  std::size_t row_variant_count = 0;
  bool row_line[4] = {}, shared_line[4] = {};  // by line level
  std::size_t counted_to = name.count;         // name words after a cut are not counted
  std::size_t reached = 0;                     // one past the furthest name word used
  int added_plain = 0;                         // the row's words without a digit the name lacks
  for (std::size_t k = 0; k < row.count; ++k) {
    const Word& rw = row.words[k];
    const bool tail = may_be_cut && rw.last;
    row_line[rw.line] = true;
    std::size_t j = 0;
    while (j < name.count && (used[j] || name.words[j].text != rw.text)) ++j;
    if (j == name.count && tail) {
      // A cut word is the start of the name's word at that place.
      j = reached;
      while (j < name.count && (used[j] || name.words[j].text.compare(0, rw.text.size(), rw.text) != 0)) ++j;
    }
    if (j < name.count) {
      used[j] = true;
      if (name.words[j].text == rw.text) {
        ++fit.matched;
        if (rw.kind == Kind::kModel || rw.kind == Kind::kTier) ++fit.matched_models;
        shared_line[rw.line] = true;
      }
      if (j + 1 > reached) reached = j + 1;
      if (tail) counted_to = j + 1;
      continue;
    }
    switch (rw.kind) {
      case Kind::kModel:
        ++fit.added_models;
        break;
      case Kind::kVariant:
        row_variants[row_variant_count++] = VariantClass(rw.text);
        break;
      case Kind::kClock:
        ++fit.added_clocks;
        ++fit.added_words;
        break;
      case Kind::kWord:
        ++added_plain;
        ++fit.added_words;
        break;
      default:  // tiers: "13900K" is the one "Core i9-13900K"
        ++fit.added_words;
        break;
    }
  }

  bool name_line[4] = {};
  bool row_variant_met[kMaxWords] = {};
  std::size_t name_variants = 0;  // the name's variant words the row lacks
  char classes[kMaxWords];
  std::string_view class_words[kMaxWords];
  std::size_t class_count = 0;
  for (std::size_t j = 0; j < counted_to; ++j) {
    const Word& w = name.words[j];
    name_line[w.line] = true;
    if (w.kind == Kind::kVariant) {
      // "11GB / 12GB": a name of two sizes names no one device.
      const char c = VariantClass(w.text);
      for (std::size_t k = 0; k < class_count; ++k) {
        if (classes[k] == c && class_words[k] != w.text) fit.other_variant = true;
      }
      class_words[class_count] = w.text;
      classes[class_count++] = c;
    }
    if (used[j]) continue;
    switch (w.kind) {
      case Kind::kModel:
      case Kind::kTier:
        ++fit.missing;
        break;
      case Kind::kVariant: {
        const char c = VariantClass(w.text);
        bool other = false;
        for (std::size_t v = 0; v < row_variant_count; ++v) {
          if (row_variants[v] == c) {
            other = true;
            row_variant_met[v] = true;
          }
        }
        if (other) {
          fit.other_variant = true;  // "14 Core" is not "18 Core"
        } else {
          ++fit.variant_relaxed;  // "GTX 1060 6GB" where no row tells the 6GB apart
          ++name_variants;
        }
        break;
      }
      default:
        ++fit.unused;
        if (w.text != "graphics") ++fit.unused_plain;
        break;
    }
  }
  std::size_t row_variants_unmet = 0;
  for (std::size_t v = 0; v < row_variant_count; ++v) {
    if (!row_variant_met[v]) ++row_variants_unmet;  // "RTX 5060 Ti" and its "8GB" row
  }
  fit.variant_relaxed += static_cast<int>(row_variants_unmet);
  // A variant the list does not tell apart falls back to the model's plain
  // row, not to another variant: "RTX 3050 4GB" is not the "RTX 3050 OEM".
  if (name_variants > 0 && row_variants_unmet > 0) fit.other_variant = true;
  for (int level = 1; level <= 3; ++level) {
    if (name_line[level] && row_line[level] && !shared_line[level]) fit.other_line = true;
  }
  fit.processor_row = row_line[3];
  fit.processor_name = name_line[3];
  // A row that names no maker answers a name that does only in the name's
  // words: "Radeon 3100" is not "Barco MXRV-3100".
  if (row.makers == 0 && name.makers != 0 && added_plain > 0) fit.other_maker = true;
  return fit;
}

bool Answers(const Fit& fit, const Reading& name) {
  if (fit.OtherDevice() || fit.missing > 0 || fit.added_models > 0 || fit.matched == 0) return false;
  // A cut row may not stand for all of the name's model words:
  // "... Qualcomm Technologies, Inc. S" is no Snapdragon of any number.
  if (name.has_models) return fit.matched_models > 0;
  // Without a model number only a row of exactly the name's words answers:
  // "Intel Xeon Processor" is not the one row "Intel Xeon@2.00GHz".
  return fit.unused_plain == 0 && fit.added_clocks == 0;
}

bool Near(const Fit& fit, const Reading& name) {
  if (fit.OtherDevice()) return false;
  return name.has_models ? fit.matched_models > 0 : fit.matched > 0 && fit.unused_plain == 0;
}

}  // namespace tianti::query::fit
