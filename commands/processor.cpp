#include "commands/processor.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

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
    std::snprintf(code, sizeof code, "errno %d", failure.os_error);
  } else {
    std::snprintf(code, sizeof code, "HRESULT 0x%08lX", static_cast<unsigned long>(failure.hresult));
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

ProcessorReport CpuinfoProcessorSource::Query() {
  errno = 0;
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    int error = errno != 0 ? errno : ENOENT;
    return ProcessorReport::Failed(u"读取 " + FromUtf8(path_), 0, error);
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return ProcessorReport::Failed(u"读取 " + FromUtf8(path_), 0, errno != 0 ? errno : EIO);
  ProcessorReport report;
  report.names = ParseCpuinfo(text.str());
  return report;
}

// ---- UTF-8 ---------------------------------------------------------------------

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) {
        valid = false;
      } else {
        c = (c << 6) | (t & 0x3F);
      }
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (valid && (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) valid = false;
    if (!valid) {
      out += u'\uFFFD';
      ++i;  // resynchronise at the next byte
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace tianti::commands
