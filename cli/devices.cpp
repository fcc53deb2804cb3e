#include "cli/devices.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "cli/cli.h"
#include "cli/formats.h"
#include "cli/options.h"
#include "commands/adapter.h"
#include "commands/processor.h"
#include "common/utf8.h"
#include "query/resolver.h"

namespace tianti::cli {

const std::string_view kDeviceUsage = "            tianti-cli --compare NAME [NAME]... [--scope S] [--format F]\n"
                                      "            tianti-cli --near NAME [--count N] [--scope S] [--format F]\n"
                                      "            tianti-cli --mine [--scope S] [--format F]\n";

const std::string_view kDeviceHelp =
    "设备名称 Device names (--compare, --near, --mine):\n"
    "  把系统或人写的设备名称(如 \"Intel(R) Core(TM) i7-7700 CPU @ 3.60GHz\")对应到\n"
    "  它所指的唯一一行；对不上唯一一行时列出最接近的至多5行(候选)。\n"
    "  Resolves a device name as a system or a person writes it to the one row it\n"
    "  names; where no single row fits, up to five candidates are listed.\n"
    "  --compare NAME [NAME]...  逐个对应并与第一个比较得分 / resolve each and\n"
    "                  compare its score with the first one's (相对 relative)\n"
    "  --near NAME     所在榜单中它上下各N行 / the rows around it in its list\n"
    "  --count N       --near 上下各几行，默认5 / rows above and below, default 5\n"
    "  --mine          本机的处理器(CPU榜)和显卡(GPU榜) / this computer's processors\n"
    "                  (CPU list) and graphics adapters (GPU list); on Linux the\n"
    "                  PCI ID list's model of the device, after its maker, is read\n"
    "  --scope 与 --format 同上 / --scope and --format as above; --scope cpu|gpu\n"
    "                  limits --mine to that kind of device\n"
    "  table 每个设备一行 / one line a device; tsv 同样的列，无表头，相对得分为比值，\n"
    "                  候选以 | 分隔 / the same columns without a head, the relative\n"
    "                  score as a ratio, candidates separated by |\n"
    "  json {\"devices\":[{\"query\",\"kind\",\"list\",\"rank\",\"description\",\"score\",\n"
    "                  \"relative\",\"candidates\",\"note\"}...],\"messages\":[...]}\n"
    "  例 Examples: tianti-cli --compare \"RTX 4090\" \"Radeon RX 7900 XTX\"\n"
    "              tianti-cli --near \"AMD Ryzen 7 7840HS\" --count 3\n"
    "              tianti-cli --mine --format json\n";

// The exit statuses, for the help of a device mode alone (the full help has
// them for every mode).
constexpr std::string_view kDeviceExitHelp =
    "\n退出码 Exit status: 0 全部对应上 every name resolved; 3 有名称未对应到唯一一行\n"
    "a name did not resolve to a single row; 1 读取本机设备失败 reading the local\n"
    "devices failed; 2 用法错误 usage error.\n";

namespace {

enum class Mode { kNone, kCompare, kNear, kMine };

struct Options {
  Mode mode = Mode::kNone;
  query::Scope scope = query::Scope::kAll;
  Format format = Format::kTable;
  int count = 5;
  bool help = false;
  std::vector<std::u16string> names;
};

// Whether the command line asks for a device mode.
Mode ModeAsked(const std::vector<std::u16string>& args) {
  for (const std::u16string& arg : args) {
    if (arg == u"--") break;
    if (arg == u"--compare") return Mode::kCompare;
    if (arg == u"--near") return Mode::kNear;
    if (arg == u"--mine") return Mode::kMine;
  }
  return Mode::kNone;
}

std::optional<std::string> Parse(const std::vector<std::u16string>& args, Options& opt) {
  bool scope_given = false, format_given = false, count_given = false;
  auto operand = [&](const std::u16string& arg) -> std::optional<std::string> {
    opt.names.push_back(arg);
    return std::nullopt;
  };
  auto option = [&](OptionWord word, std::size_t& i) -> std::optional<std::string> {
    const std::u16string& name = word.name;
    const Mode mode = name == u"--compare" ? Mode::kCompare
                      : name == u"--near"  ? Mode::kNear
                      : name == u"--mine"  ? Mode::kMine
                                           : Mode::kNone;
    if (mode != Mode::kNone || name == u"-h" || name == u"--help") {
      if (word.value) return "option " + ToUtf8(name) + " takes no value";
      if (mode == Mode::kNone) {
        opt.help = true;
      } else if (opt.mode != Mode::kNone && opt.mode != mode) {
        return "only one of --compare, --near and --mine";
      } else {
        opt.mode = mode;
      }
      return std::nullopt;
    }
    if (name != u"--scope" && name != u"--format" && name != u"--count") {
      return "option " + ToUtf8(name) + " does not go with --compare, --near or --mine";
    }
    if (auto problem = TakeValue(args, i, word)) return problem;
    const std::u16string& value = *word.value;
    if (name == u"--scope") return ReadScope(value, scope_given, opt.scope);
    if (name == u"--format") return ReadFormat(value, format_given, opt.format);
    if (count_given) return "--count given more than once";
    count_given = true;
    const std::string digits = ToUtf8(value);
    char* end = nullptr;
    errno = 0;
    const long count = std::strtol(digits.c_str(), &end, 10);
    if (digits.empty() || digits[0] < '0' || digits[0] > '9' || *end != '\0' || errno != 0 || count > 100000) {
      return "--count must be a whole number from 0 to 100000, not " + digits;
    }
    opt.count = static_cast<int>(count);
    return std::nullopt;
  };
  if (auto problem = WalkArguments(args, operand, option)) return problem;
  if (opt.help) return std::nullopt;
  if (count_given && opt.mode != Mode::kNear) return "--count goes with --near only";
  if (opt.mode == Mode::kCompare && opt.names.empty()) return "--compare needs at least one NAME";
  if (opt.mode == Mode::kNear && opt.names.size() != 1) return "--near takes one NAME";
  if (opt.mode == Mode::kMine && !opt.names.empty()) return "--mine takes no NAME";
  return std::nullopt;
}

// ---- what is printed -------------------------------------------------------------

struct Device {
  std::optional<std::u16string> query;  // null for the rows around --near's
  const char* kind = nullptr;           // "cpu" or "gpu", for --mine
  std::optional<std::u16string> reported;
  std::optional<query::ListRow> row;
  std::optional<double> relative;
  std::vector<std::u16string> candidates;
  std::optional<std::u16string> note;
};

struct Output {
  Mode mode = Mode::kCompare;
  std::vector<Device> devices;
  std::vector<std::u16string> messages;
};

Device Resolved(std::u16string name, query::Scope scope) {
  Device device;
  const query::Resolution r = query::Resolve(name, scope);
  device.query = std::move(name);
  device.row = r.row;
  for (const query::ListRow& c : r.candidates) device.candidates.emplace_back(c.description);
  return device;
}

std::u16string ListName(char16_t list) { return list == u'C' ? u"CPU榜" : u"GPU榜"; }

// Display columns: East Asian wide characters count two.
std::size_t Columns(std::u16string_view text) {
  std::size_t columns = 0;
  for (char16_t c : text) {
    if (c >= 0xDC00 && c < 0xE000) continue;  // the second half of a pair
    columns += (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
                       (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                       (c >= 0xFFE0 && c <= 0xFFE6)
                   ? 2
                   : 1;
  }
  return columns;
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string Ratio(double value) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%#.4g", value);  // "-1.234e+308" fits
  return text;
}

std::u16string Percent(double value) {
  const double percent = value * 100.0;
  if (percent > 0 && percent < 0.5) return u"<1%";
  char text[32];
  (void)std::snprintf(text, sizeof text, "%.0f%%", percent);
  return Ascii(text);
}

std::u16string Number(const query::ListRow& row) { return row.list + Ascii(std::to_string(row.rank)); }

std::u16string Unresolved(const Device& d) {
  if (d.candidates.empty()) return u"（无对应行）";
  std::u16string text = u"（无唯一对应行）候选：";
  for (std::size_t i = 0; i < d.candidates.size(); ++i) {
    if (i) text += u"；";
    text += d.candidates[i];
  }
  return text;
}

std::string TableText(const Output& o) {
  const bool mine = o.mode == Mode::kMine;
  std::vector<std::vector<std::u16string>> lines;
  std::vector<std::u16string> head;
  if (mine) head.push_back(u"类型");
  head.insert(head.end(), {u"名称", u"编号", u"硬件描述", u"得分"});
  if (!mine) head.push_back(u"相对");
  lines.push_back(head);
  for (const Device& d : o.devices) {
    std::vector<std::u16string> cells;
    if (mine) cells.push_back(d.kind ? Ascii(d.kind[0] == 'c' ? "CPU" : "GPU") : u"");
    cells.push_back(d.query.value_or(u""));
    cells.push_back(d.row ? Number(*d.row) : u"");
    cells.push_back(d.row ? std::u16string(d.row->description) : Unresolved(d));
    cells.push_back(d.row ? Ascii(std::to_string(d.row->score)) : u"");
    if (!mine) cells.push_back(d.relative ? Percent(*d.relative) : u"");
    lines.push_back(std::move(cells));
  }
  std::vector<std::size_t> widths(head.size(), 0);
  for (const auto& cells : lines) {
    for (std::size_t k = 0; k < cells.size(); ++k) widths[k] = std::max(widths[k], Columns(cells[k]));
  }
  std::u16string border = u"+";
  for (std::size_t w : widths) border += std::u16string(w, u'-') + u"+";
  std::u16string text = border + u"\n";
  for (std::size_t n = 0; n < lines.size(); ++n) {
    text += u"|";
    for (std::size_t k = 0; k < lines[n].size(); ++k) {
      // The numbers right-aligned, the rest left-aligned, as in the results table.
      const std::u16string& cell = lines[n][k];
      const std::u16string fill(widths[k] - Columns(cell), u' ');
      const bool number = n > 0 && k + (mine ? 0 : 1) >= lines[n].size() - 1;
      text += number ? fill + cell : cell + fill;
      text += u"|";
    }
    text += u"\n";
    if (n == 0) text += border + u"\n";
  }
  text += border + u"\n";
  return ToUtf8(text);
}

std::string TsvText(const Output& o) {
  std::string text;
  for (const Device& d : o.devices) {
    if (o.mode == Mode::kMine) text += std::string(d.kind ? d.kind : "") + '\t';
    text += ToUtf8(d.query.value_or(u"")) + '\t';
    if (d.row) {
      text += static_cast<char>(d.row->list);
      text += '\t' + std::to_string(d.row->rank) + '\t' + ToUtf8(d.row->description) + '\t' +
              std::to_string(d.row->score);
    } else {
      text += "\t\t\t";
    }
    text += '\t';
    if (d.relative) text += Ratio(*d.relative);
    text += '\t';
    for (std::size_t i = 0; i < d.candidates.size(); ++i) {
      if (i) text += '|';
      text += ToUtf8(d.candidates[i]);
    }
    text += '\n';
  }
  return text;
}

void AppendJsonOptional(std::string& out, const std::optional<std::u16string>& text) {
  if (text) {
    AppendJsonString(out, *text);
  } else {
    out += "null";
  }
}

std::string JsonText(const Output& o) {
  std::string out = "{\"devices\":[";
  for (std::size_t i = 0; i < o.devices.size(); ++i) {
    const Device& d = o.devices[i];
    if (i) out += ',';
    out += "{\"query\":";
    AppendJsonOptional(out, d.query);
    out += ",\"kind\":";
    out += d.kind ? "\"" + std::string(d.kind) + "\"" : "null";
    if (o.mode == Mode::kMine) {
      out += ",\"reported\":";
      AppendJsonOptional(out, d.reported);
    }
    if (d.row) {
      out += ",\"list\":\"";
      out += static_cast<char>(d.row->list);
      out += "\",\"rank\":" + std::to_string(d.row->rank) + ",\"description\":";
      AppendJsonString(out, d.row->description);
      out += ",\"score\":" + std::to_string(d.row->score);
    } else {
      out += ",\"list\":null,\"rank\":null,\"description\":null,\"score\":null";
    }
    out += ",\"relative\":" + (d.relative ? Ratio(*d.relative) : std::string("null"));
    out += ",\"candidates\":";
    AppendJsonStrings(out, d.candidates);
    out += ",\"note\":";
    AppendJsonOptional(out, d.note);
    out += '}';
  }
  out += "],\"messages\":";
  AppendJsonStrings(out, o.messages);
  out += "}\n";
  return out;
}

// ---- the modes -------------------------------------------------------------------------

// --compare: each score relative to the first device's, in the same list.
void Compare(const Options& opt, Output& o) {
  for (const std::u16string& name : opt.names) o.devices.push_back(Resolved(name, opt.scope));
  const std::optional<query::ListRow> first = o.devices.front().row;
  if (!first) return;
  for (Device& d : o.devices) {
    if (!d.row) continue;
    if (d.row->list == first->list) {
      d.relative = static_cast<double>(d.row->score) / first->score;
    } else {
      d.note = u"“" + *d.query + u"”在" + ListName(d.row->list) + u"，与“" + *o.devices.front().query + u"”所在的" +
               ListName(first->list) + u"得分不可比较 / scores of the CPU and GPU lists cannot be compared";
      o.messages.push_back(*d.note);
    }
  }
}

// --near: the rows around the device, relative to its score.
void Near(const Options& opt, Output& o) {
  Device center = Resolved(opt.names.front(), opt.scope);
  if (!center.row) {
    o.devices.push_back(std::move(center));
    return;
  }
  for (const query::ListRow& row : query::RowsAround(*center.row, opt.count)) {
    Device d;
    if (row == *center.row) d.query = center.query;
    d.row = row;
    d.relative = static_cast<double>(row.score) / center.row->score;
    o.devices.push_back(std::move(d));
  }
}

// --mine: the processors in the CPU list, the adapters in the GPU list.
// Returns whether every source answered.
bool Mine(const Options& opt, const commands::Platform& platform, Output& o) {
  std::vector<LocalDevice> local;
  const bool ok = ReadLocalDevices(opt.scope, platform, local, o.messages);
  for (LocalDevice& l : local) {
    Device d;
    d.kind = l.kind;
    d.query = l.name;
    if (std::string_view(l.kind) == "gpu") {
      // A device the PCI ID list does not know is shown by its IDs.
      if (!l.name) d.query = l.reported;
      if (!l.reported.empty()) d.reported = l.reported;
    }
    d.row = l.resolution.row;
    for (const query::ListRow& c : l.resolution.candidates) d.candidates.emplace_back(c.description);
    o.devices.push_back(std::move(d));
  }
  return ok;
}

}  // namespace

bool ReadLocalDevices(query::Scope scope, const commands::Platform& platform, std::vector<LocalDevice>& devices,
                      std::vector<std::u16string>& messages) {
  bool ok = true;
  if (scope != query::Scope::kGpu) {
    const commands::ProcessorReport report = platform.processors->Query();
    if (!report.ok()) {
      messages.push_back(commands::BuildProcessorFailureMessage(*report.failure));
      ok = false;
    }
    for (const commands::ProcessorName& name : report.names) {
      // A null name (WMI may report one) is shown as such, with no row.
      LocalDevice d;
      d.kind = "cpu";
      if (name) {
        d.name = *name;
        d.resolution = query::Resolve(*name, query::Scope::kCpu);
      }
      devices.push_back(std::move(d));
    }
  }
  if (scope != query::Scope::kCpu) {
    const commands::AdapterReport report = platform.adapters->Query();
    if (!report.ok()) {
      messages.push_back(commands::BuildAdapterFailureMessage(*report.failure));
      ok = false;
    }
    if (!report.note.empty()) messages.push_back(report.note);
    for (const commands::AdapterName& adapter : report.adapters) {
      LocalDevice d;
      d.kind = "gpu";
      d.reported = adapter.reported;
      if (adapter.name) {
        d.name = *adapter.name;
        d.resolution = query::Resolve(*adapter.name, query::Scope::kGpu);
      }
      devices.push_back(std::move(d));
    }
  }
  return ok;
}

std::optional<int> RunDeviceMode(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err,
                                 const commands::Platform& platform) {
  if (ModeAsked(args) == Mode::kNone) return std::nullopt;
  Options opt;
  if (const auto problem = Parse(args, opt)) {
    err << "tianti-cli: " << *problem << '\n' << kDeviceUsage << "(--help 查看说明 / for help)\n";
    return kExitUsage;
  }
  if (opt.help) {
    out << kDeviceHelp << kDeviceExitHelp;
    out.flush();
    return out ? kExitOk : kExitError;
  }
  try {
    Output o;
    o.mode = opt.mode;
    bool sources_ok = true;
    switch (opt.mode) {
      case Mode::kCompare:
        Compare(opt, o);
        break;
      case Mode::kNear:
        Near(opt, o);
        break;
      default:
        sources_ok = Mine(opt, platform, o);
        break;
    }
    switch (opt.format) {
      case Format::kTable:
        out << TableText(o);
        break;
      case Format::kTsv:
        out << TsvText(o);
        break;
      case Format::kJson:
        out << JsonText(o);
        break;
    }
    if (opt.format != Format::kJson) {
      for (const std::u16string& m : o.messages) err << ToUtf8(m) << '\n';
    }
    out.flush();
    if (!out || !sources_ok) return kExitError;
    for (const Device& d : o.devices) {
      if (!d.row) return kExitUnresolved;
    }
    return kExitOk;
  } catch (const std::exception& e) {
    err << "tianti-cli: error: " << e.what() << '\n';
    return kExitError;
  }
}

}  // namespace tianti::cli
