#include "commands/processor.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "common/utf8.h"

namespace tianti::commands {

std::u16string BuildProcessorMessage(const ProcessorNames& names) {
  std::u16string text = u"本机CPU名称：";
  for (const ProcessorName& name : names) {
    text += u"\r\n";
    if (name) text += *name;
  }
  return text;
}

std::u16string BuildProcessorFailureMessage(const ProcessorFailure& failure) {
  char code[32];
  if (failure.os_error != 0) {
    (void)std::snprintf(code, sizeof code, "errno %d", failure.os_error);
  } else {
    (void)std::snprintf(code, sizeof code, "HRESULT 0x%08lX", static_cast<unsigned long>(failure.hresult));
  }
  std::u16string text = u"无法读取本机CPU型号：";
  text += failure.step;
  text += u" 失败 (";
  for (const char* c = code; *c; ++c) text += static_cast<char16_t>(*c);
  text += u")";
  return text;
}

// ---- /proc/cpuinfo ------------------------------------------------------------

namespace {

struct LogicalProcessor {
  bool is_processor = false;
  long long package = 0;
  std::optional<std::string> model_name;
};

// Splits "key\t\t: value" into its key (trailing blanks removed) and value
// (one space after the colon skipped, the rest kept as it stands).
bool SplitField(std::string_view line, std::string_view& key, std::string_view& value) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  key = line.substr(0, colon);
  while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
  value = line.substr(colon + 1);
  if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  return true;
}

}  // namespace

ProcessorNames ParseCpuinfo(std::string_view text) {
  std::map<long long, std::optional<std::string>> packages;  // ascending id
  LogicalProcessor current;
  auto finish = [&] {
    if (current.is_processor) packages.emplace(current.package, current.model_name);  // first wins
    current = LogicalProcessor{};
  };

  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    std::string_view key, value;
    if (line.find_first_not_of(" \t") == std::string_view::npos) {
      finish();  // a blank line ends one logical processor's block
    } else if (SplitField(line, key, value)) {
      if (key == "processor") {
        current.is_processor = true;
      } else if (key == "physical id") {
        std::string digits(value);
        char* stop = nullptr;
        errno = 0;
        long long id = std::strtoll(digits.c_str(), &stop, 10);
        current.package = (stop != digits.c_str() && errno == 0) ? id : 0;
      } else if (key == "model name" && !current.model_name) {
        current.model_name = std::string(value);
      }
    }
  }
  finish();

  ProcessorNames names;
  names.reserve(packages.size());
  for (const auto& [id, name] : packages) {
    if (name) {
      names.emplace_back(FromUtf8(*name));
    } else {
      names.emplace_back(std::nullopt);
    }
  }
  return names;
}

// C stdio rather than a file stream: this file is part of the Windows
// program too, and a stream would link the C++ locale machinery into it
// (about 800 KB of its size).
ProcessorReport CpuinfoProcessorSource::Query() {
  errno = 0;
  std::FILE* in = std::fopen(path_.c_str(), "rb");
  if (!in) {
    int error = errno != 0 ? errno : ENOENT;
    return ProcessorReport::Failed(u"读取 " + FromUtf8(path_), 0, error);
  }
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
  const bool failed = std::ferror(in) != 0;
  const int error = errno != 0 ? errno : EIO;
  (void)std::fclose(in);
  if (failed) return ProcessorReport::Failed(u"读取 " + FromUtf8(path_), 0, error);
  ProcessorReport report;
  report.names = ParseCpuinfo(text);
  return report;
}

}  // namespace tianti::commands
