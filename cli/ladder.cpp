#include "cli/ladder.h"

#include <exception>

#include "cli/cli.h"
#include "cli/devices.h"
#include "cli/options.h"
#include "common/utf8.h"
#include "query/engine.h"
#include "query/ladder_svg.h"
#include "query/resolver.h"

namespace tianti::cli {

const std::string_view kLadderUsage =
    "            tianti-cli --ladder --scope cpu|gpu [--and TERM] [--or TERM]... [MAIN]\n"
    "                       [--mark NAME]... [--mine] > ladder.svg\n";

const std::string_view kLadderHelp =
    "天梯图 Ladder (--ladder):\n"
    "  把一张榜单画成天梯图(SVG，输出到标准输出)：按厂商分列，越强越高，分档为色带。\n"
    "  Draws one list as a ladder (SVG on standard output): a column a maker,\n"
    "  stronger higher, the tiers as bands.\n"
    "  --scope S       cpu 或 gpu(必选，天梯图只画一张榜单) / cpu or gpu (required)\n"
    "  MAIN, --and, --or  同上；不给查询条件时画整张榜单，给了则画查询到的全部行\n"
    "                  (不受30条限制) / as above; without MAIN the whole list, with\n"
    "                  it every row the query finds (no 30-row limit)\n"
    "  --mark NAME     标记该设备(可重复)，名称对应方式同 --compare / mark the\n"
    "                  device (repeatable), names resolved as with --compare\n"
    "  --mine          标记本机的处理器(cpu)或显卡(gpu) / mark this computer's\n"
    "                  processors (cpu) or graphics adapters (gpu)\n"
    "  例 Example: tianti-cli --ladder --scope gpu \"RTX 40\" --mark \"RTX 4070\" > rtx40.svg\n"
    "  退出码 Exit status: 0 已输出; 2 用法错误; 3 有名称未对应到唯一一行(仍输出,\n"
    "  不标记它) a name did not resolve (the ladder is written without it);\n"
    "  1 读取本机设备失败等 reading the local devices failed, or another failure.\n";

namespace {

struct Options {
  query::Scope scope = query::Scope::kAll;
  query::Terms terms;
  std::optional<std::u16string> main_term;
  std::optional<std::u16string> and_term;
  std::vector<std::u16string> or_terms;
  std::vector<std::u16string> marks;
  bool mine = false;
  bool help = false;
};

bool Asked(const std::vector<std::u16string>& args) {
  for (const std::u16string& arg : args) {
    if (arg == u"--") break;
    if (SplitOption(arg).name == u"--ladder") return true;  // "--ladder=..." is told it takes no value
  }
  return false;
}

std::optional<std::string> Parse(const std::vector<std::u16string>& args, Options& opt) {
  bool scope_given = false;
  auto operand = [&](const std::u16string& arg) { return ReadMainTerm(arg, opt.main_term); };
  auto option = [&](OptionWord word, std::size_t& i) -> std::optional<std::string> {
    const std::u16string& name = word.name;
    if (name == u"--ladder" || name == u"--mine" || name == u"-h" || name == u"--help") {
      if (word.value) return "option " + ToUtf8(name) + " takes no value";
      if (name == u"--mine") {
        opt.mine = true;
      } else if (name != u"--ladder") {
        opt.help = true;
      }
      return std::nullopt;
    }
    if (name != u"--scope" && name != u"--and" && name != u"--or" && name != u"--mark") {
      return "option " + ToUtf8(name) + " does not go with --ladder";
    }
    if (auto problem = TakeValue(args, i, word)) return problem;
    const std::u16string& value = *word.value;
    if (name == u"--scope") return ReadScope(value, scope_given, opt.scope);
    if (name == u"--mark") {
      opt.marks.push_back(value);
      return std::nullopt;
    }
    return ReadQueryTerm(name, value, opt.and_term, opt.or_terms);
  };
  if (auto problem = WalkArguments(args, operand, option)) return problem;
  if (opt.help) return std::nullopt;
  if (opt.scope == query::Scope::kAll) {
    return "--ladder draws one list: give --scope cpu or --scope gpu (天梯图只画一张榜单：cpu 或 gpu)";
  }
  if ((opt.and_term || !opt.or_terms.empty()) && !opt.main_term) return "--and and --or need the MAIN term";
  if (opt.main_term) {
    opt.terms.main = query::NormalizeTerm(*opt.main_term);
    if (opt.terms.main.empty()) return "the MAIN term is empty";
    if (opt.and_term) opt.terms.also = query::NormalizeTerm(*opt.and_term);
    std::u16string* const ors[] = {&opt.terms.or1, &opt.terms.or2, &opt.terms.or3};
    for (std::size_t k = 0; k < opt.or_terms.size(); ++k) *ors[k] = query::NormalizeTerm(opt.or_terms[k]);
  }
  return std::nullopt;
}

// Why a name marks nothing, for standard error.
std::string NotMarked(std::u16string_view name, const query::Resolution& r) {
  std::u16string text = u"“" + std::u16string(name) + u"”未对应到唯一一行，未标记 / did not resolve to a single row";
  if (!r.candidates.empty()) {
    text += u"；候选 candidates：";
    for (std::size_t i = 0; i < r.candidates.size(); ++i) {
      if (i) text += u"；";
      const std::string rank = std::to_string(r.candidates[i].rank);
      text += r.candidates[i].list + std::u16string(rank.begin(), rank.end()) + u" ";
      text += r.candidates[i].description;
    }
  }
  return "tianti-cli: " + ToUtf8(text) + '\n';
}

}  // namespace

std::optional<int> RunLadderMode(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err,
                                 const commands::Platform& platform) {
  if (!Asked(args)) return std::nullopt;
  Options opt;
  if (const auto problem = Parse(args, opt)) {
    err << "tianti-cli: " << *problem << '\n' << kLadderUsage << "(--help 查看说明 / for help)\n";
    return kExitUsage;
  }
  if (opt.help) {
    out << kLadderHelp;
    return kExitOk;
  }
  try {
    std::vector<query::ListRow> marks;
    bool unresolved = false, sources_ok = true;
    for (const std::u16string& name : opt.marks) {
      const query::Resolution r = query::Resolve(name, opt.scope);
      if (r.row) {
        marks.push_back(*r.row);
      } else {
        err << NotMarked(name, r);
        unresolved = true;
      }
    }
    if (opt.mine) {
      std::vector<LocalDevice> local;
      std::vector<std::u16string> messages;
      sources_ok = ReadLocalDevices(opt.scope, platform, local, messages);
      for (const std::u16string& m : messages) err << ToUtf8(m) << '\n';
      for (const LocalDevice& d : local) {
        if (d.resolution.row) {
          marks.push_back(*d.resolution.row);
        } else {
          const std::u16string& shown = d.name ? *d.name : d.reported;
          err << NotMarked(
              shown.empty() ? std::u16string(u"（无名称的") + (d.kind[0] == 'c' ? u"处理器）" : u"显卡）") : shown,
              d.resolution);
          unresolved = true;
        }
      }
    }
    out << query::LadderSvg(opt.scope, opt.terms, marks);
    out.flush();
    if (!out || !sources_ok) return kExitError;
    return unresolved ? kExitUnresolved : kExitOk;
  } catch (const std::exception& e) {
    err << "tianti-cli: error: " << e.what() << '\n';
    return kExitError;
  }
}

}  // namespace tianti::cli
