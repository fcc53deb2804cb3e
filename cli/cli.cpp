#include "cli/cli.h"

#include <exception>
#include <optional>
#include <string_view>

#include "app/form1.h"
#include "cli/console_services.h"
#include "cli/devices.h"
#include "cli/formats.h"
#include "cli/ladder.h"
#include "cli/options.h"
#include "commands/adapter.h"
#include "commands/processor.h"
#include "common/utf8.h"
#include "query/engine.h"

namespace tianti::cli {

namespace {

using ui::Ctl;

constexpr std::string_view kUsage = "用法 Usage: tianti-cli [--scope all|cpu|gpu] [--and TERM] [--or TERM]...\n"
                                    "                       [--format table|tsv|json] [--crlf] [--] MAIN\n"
                                    "            tianti-cli --cpu\n";  // and kDeviceUsage, kLadderUsage

constexpr std::string_view kHelp =
    "用法 Usage: tianti-cli [--scope all|cpu|gpu] [--and TERM] [--or TERM]...\n"
    "                       [--format table|tsv|json] [--crlf] [--] MAIN\n"
    "            tianti-cli --cpu\n"
    "\n"
    "在内置的CPU/GPU性能天梯中查询，与主窗口的\"查询\"按钮结果相同。\n"
    "Looks up the built-in CPU/GPU benchmark ranking lists, exactly as the main\n"
    "window's Query button does.\n"
    "\n"
    "  MAIN            主查询条件(必选)，不区分大小写\n"
    "                  main term (required), case-insensitive\n"
    "  --scope S       查询范围：all 全部(默认)、cpu 仅CPU、gpu 仅GPU\n"
    "                  scope: all (default), cpu or gpu\n"
    "  --and TERM      与查询条件(可选，优先于或)\n"
    "                  AND term (optional; when given, the OR terms are ignored)\n"
    "  --or TERM       或查询条件，最多三个，依次为或1、或2、或3\n"
    "                  OR term, up to three, filling OR 1, OR 2, OR 3 in order;\n"
    "                  an OR term counts only when every OR term before it is given\n"
    "  --format F      输出格式 / output format:\n"
    "                  table 表格(默认)，与结果框相同 / the results box's table (default)\n"
    "                  tsv   每条结果一行：列表<TAB>名次<TAB>硬件描述<TAB>得分，列表为 C 或 G\n"
    "                        one line a row: list<TAB>rank<TAB>description<TAB>score,\n"
    "                        list C or G, the description without its fill spaces\n"
    "                  json  一个 UTF-8 JSON 对象 / one UTF-8 JSON object:\n"
    "                        {\"rows\":[{\"list\",\"rank\",\"description\",\"score\"}...],\n"
    "                         \"rule\":\"a\"..\"e\" (null 未查询 / no query ran),\n"
    "                         \"truncated\":是否出现30条上限提示 / whether the 30-row note appeared,\n"
    "                         \"messages\":[提示框文字 / the message boxes' texts]}\n"
    "                        json 时提示信息只写入 JSON / with json the messages go only into it\n"
    "  --crlf          表格输出保留CR LF行尾 / keep CR LF line ends in the table output\n"
    "  --              结束选项，其后为主查询条件 / ends the options; MAIN may start with \"-\"\n"
    "  --cpu           显示本机CPU名称，每行一个，不查询\n"
    "                  print this computer's processor names, one a line, no query\n"
    "  -h, --help      显示本说明 / show this help\n"
    "\n"
    "结果输出到标准输出，最多30条；提示信息输出到标准错误(json 除外)。\n"
    "控制台中显示原样的中文(Windows 经 WriteConsoleW)；重定向到文件或管道时为 UTF-8。\n"
    "The result goes to standard output, at most 30 rows; messages go to standard\n"
    "error (except with json). A console shows the text as it is (on Windows through\n"
    "WriteConsoleW); redirected to a file or a pipe it is UTF-8.\n"
    "\n";  // then kDeviceHelp, kLadderHelp and kExitHelp

constexpr std::string_view kExitHelp =
    "\n"
    "退出码 Exit status: 0 查询完成 query ran; 2 缺少查询条件或用法错误 missing main\n"
    "term or usage error; 1 其他错误 other failure (such as WMI failing);\n"
    "3 设备名称未对应到唯一一行 a device name did not resolve to a single row.\n";

struct Options {
  Ctl scope = Ctl::Option1;
  std::optional<std::u16string> and_term;
  std::vector<std::u16string> or_terms;
  std::optional<std::u16string> main_term;
  Format format = Format::kTable;
  bool crlf = false;
  bool help = false;
  bool cpu = false;
};

// Parses the command line; on a usage error returns its message.
std::optional<std::string> Parse(const std::vector<std::u16string>& args, Options& opt) {
  bool scope_given = false;
  bool format_given = false;
  auto operand = [&](const std::u16string& arg) { return ReadMainTerm(arg, opt.main_term); };
  auto option = [&](OptionWord word, std::size_t& i) -> std::optional<std::string> {
    const std::u16string& name = word.name;
    const bool takes_value = name == u"--scope" || name == u"--and" || name == u"--or" || name == u"--format";
    if (name == u"-h" || name == u"--help" || name == u"--crlf" || name == u"--cpu") {
      if (word.value) return "option " + ToUtf8(name) + " takes no value";
      if (name == u"--cpu") {
        opt.cpu = true;
      } else if (name == u"--crlf") {
        opt.crlf = true;
      } else {
        opt.help = true;
      }
      return std::nullopt;
    }
    if (!takes_value) return "unknown option: " + ToUtf8(args[i]);
    if (auto problem = TakeValue(args, i, word)) return problem;
    const std::u16string& value = *word.value;
    if (name == u"--scope") {
      query::Scope scope = query::Scope::kAll;
      if (auto problem = ReadScope(value, scope_given, scope)) return problem;
      opt.scope = scope == query::Scope::kAll   ? Ctl::Option1
                  : scope == query::Scope::kCpu ? Ctl::Option2
                                                : Ctl::Option3;
      return std::nullopt;
    }
    if (name == u"--format") return ReadFormat(value, format_given, opt.format);
    return ReadQueryTerm(name, value, opt.and_term, opt.or_terms);
  };
  if (auto problem = WalkArguments(args, operand, option)) return problem;
  if (opt.cpu && (opt.main_term || opt.and_term || !opt.or_terms.empty() || scope_given || format_given))
    return "--cpu takes no query terms";
  if (opt.crlf && opt.format != Format::kTable) return "--crlf goes with --format table only";
  if (!opt.help && !opt.cpu && !opt.main_term) return "the MAIN term is missing";
  return std::nullopt;
}

std::string TableText(std::u16string_view text, bool crlf) {
  std::u16string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!crlf && text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    lines.push_back(text[i]);
  }
  return ToUtf8(lines);
}

}  // namespace

int Run(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err) {
  commands::Platform platform;
  platform.processors = &commands::LocalProcessorSource();
  platform.adapters = &commands::LocalAdapterSource();
  return Run(args, out, err, platform);
}

int Run(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err,
        const commands::Platform& platform) {
  if (auto code = RunLadderMode(args, out, err, platform)) return *code;
  if (auto code = RunDeviceMode(args, out, err, platform)) return *code;
  Options opt;
  if (const auto problem = Parse(args, opt)) {
    err << "tianti-cli: " << *problem << '\n'
        << kUsage << kDeviceUsage << kLadderUsage << "(--help 查看说明 / for help)\n";
    return kExitUsage;
  }
  if (opt.help) {
    out << kHelp << kDeviceHelp << '\n' << kLadderHelp << kExitHelp;
    out.flush();
    return out ? kExitOk : kExitError;
  }
  if (opt.cpu) return commands::PrintLocalProcessors(out, err);  // 0, or 1 with the reason

  try {
    // JSON carries the message boxes itself; the other formats write them to
    // standard error as they open.
    ConsoleServices ui(opt.format == Format::kJson ? nullptr : &err);
    Form1 form(ui);
    ui.SetSink(&form);
    form.Form_Load();  // selects ALL, which runs no query yet

    ui.SetText(Ctl::Text1, *opt.main_term);
    if (opt.and_term) ui.SetText(Ctl::Text2, *opt.and_term);
    const Ctl or_boxes[] = {Ctl::Text5, Ctl::Text6, Ctl::Text7};
    for (std::size_t k = 0; k < opt.or_terms.size(); ++k) ui.SetText(or_boxes[k], opt.or_terms[k]);

    // One user action, so exactly one query runs: ALL is already selected,
    // so it is the Query button; another scope is a click on its option.
    if (ui.Value(opt.scope)) {
      form.Command2_Click();
    } else {
      ui.Select(opt.scope);
    }

    // A query that gets past the main-term check always leaves at least the
    // table head; an empty box means the warning and the reset.
    const std::u16string table = ui.Text(Ctl::Text8);
    const bool ran = !table.empty();
    switch (opt.format) {
      case Format::kTable:
        out << TableText(table, opt.crlf);
        break;
      case Format::kTsv:
        out << TsvText(TableRows(table));
        break;
      case Format::kJson: {
        JsonResult result;
        result.rows = TableRows(table);
        if (ran) {
          // The rule the query chose, from the same terms it read; the scan
          // stops short of the last slot only at the match the limit cut off.
          result.rule = static_cast<char>(query::Letter(query::ChooseRule(form.TermsInBoxes())));
          result.truncated = form.ScanIndex <= RankRowArray::kLast;
        }
        for (const ui::ShownMessage& m : ui.messages()) result.messages.push_back(m.text);
        out << JsonText(result);
        break;
      }
    }
    out.flush();
    if (!ran) return kExitUsage;
    return out ? kExitOk : kExitError;
  } catch (const std::exception& e) {
    err << "tianti-cli: error: " << e.what() << '\n';
    return kExitError;
  }
}

}  // namespace tianti::cli
