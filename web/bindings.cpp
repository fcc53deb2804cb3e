// The page's way into the engine. A query, a comparison, the rows near a
// device and the renderer's lookup are all tianti-cli command lines that the
// page builds and runs here through the CLI's own Run (cli/cli.h), so the
// page shows exactly what the CLI prints; the main window's tool tips come
// from the real Form1 on the in-memory services.
#include <emscripten/emscripten.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "cli/cli.h"
#include "cli/formats.h"
#include "commands/platform.h"
#include "commands/processor.h"
#include "common/message_title.h"
#include "common/utf8.h"
#include "ui/memory_services.h"
#include "web/renderer.h"

namespace {

using tianti::ui::Ctl;

// A page cannot see the processor: --mine there asks the renderer only.
class NoProcessorSource : public tianti::commands::ProcessorSource {
 public:
  tianti::commands::ProcessorReport Query() override { return {}; }
};

// The last answer, kept until the next call (the page copies it at once).
std::string g_answer;

void AppendUtf8(std::string& json, const std::string& text) {
  tianti::cli::AppendJsonString(json, tianti::FromUtf8(text));
}

}  // namespace

extern "C" {

// Runs tianti-cli with `count` arguments, given as UTF-8 strings one after
// another, each ending with a NUL; `renderer` is the WebGL renderer string
// that --mine reports as the graphics adapter. Returns the JSON object
// {"code":exit status,"out":standard output,"err":standard error}.
EMSCRIPTEN_KEEPALIVE const char* tianti_run(const char* args, int count, const char* renderer) {
  std::vector<std::u16string> argv;
  for (int i = 0; i < count; ++i) {
    const std::string arg(args);
    args += arg.size() + 1;
    argv.push_back(tianti::FromUtf8(arg));
  }
  NoProcessorSource processors;
  tianti::web::RendererAdapterSource adapters(tianti::FromUtf8(renderer ? renderer : ""));
  tianti::commands::Platform platform;
  platform.processors = &processors;
  platform.adapters = &adapters;
  std::ostringstream out, err;
  const int code = tianti::cli::Run(argv, out, err, platform);
  g_answer = "{\"code\":" + std::to_string(code) + ",\"out\":";
  AppendUtf8(g_answer, out.str());
  g_answer += ",\"err\":";
  AppendUtf8(g_answer, err.str());
  g_answer += "}";
  return g_answer.c_str();
}

// The main window's caption and tool tips, as its Form_Load sets them, by
// the page's element ids, and the message boxes' title:
// {"caption":…,"title":…,"tips":{"main":…,…}}.
EMSCRIPTEN_KEEPALIVE const char* tianti_texts() {
  tianti::ui::MemoryServices ui;
  tianti::Form1 form(ui);
  ui.SetSink(&form);
  form.Form_Load();
  const struct {
    const char* id;
    Ctl control;
  } tips[] = {{"main", Ctl::Text1},        {"and", Ctl::Text2},         {"or1", Ctl::Text5},
              {"or2", Ctl::Text6},         {"or3", Ctl::Text7},         {"scope-all", Ctl::Option1},
              {"scope-cpu", Ctl::Option2}, {"scope-gpu", Ctl::Option3}, {"query", Ctl::Command2},
              {"reset", Ctl::Command3},    {"results", Ctl::Text8},     {"label-or", Ctl::Label4}};
  g_answer = "{\"caption\":";
  tianti::cli::AppendJsonString(g_answer, ui.Caption(tianti::ui::Win::Form1));
  g_answer += ",\"title\":";
  tianti::cli::AppendJsonString(g_answer, tianti::kMessageTitle);
  g_answer += ",\"tips\":{";
  bool first = true;
  for (const auto& tip : tips) {
    if (!first) g_answer += ',';
    first = false;
    g_answer += '"' + std::string(tip.id) + "\":";
    tianti::cli::AppendJsonString(g_answer, ui.ToolTip(tip.control));
  }
  g_answer += "}}";
  return g_answer.c_str();
}

}  // extern "C"
