// The names of the local computer's processors, and the texts the processor
// command shows for them.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tianti::commands {

// One processor's name exactly as the platform reports it; empty optional
// where the platform reports a null name.
using ProcessorName = std::optional<std::u16string>;
using ProcessorNames = std::vector<ProcessorName>;

// The step of the WMI sequence (or of another platform source) that failed.
struct ProcessorFailure {
  std::u16string step;        // e.g. u"ExecQuery"
  std::uint32_t hresult = 0;  // the failing call's HRESULT
  // A source that is not COM-based reports a system error number (errno)
  // instead; non-zero means it is shown in place of the HRESULT.
  int os_error = 0;
};

// What a source yields: the names in the order of the platform's result set,
// or the failure that stopped it. Never both: a failure discards every name
// read before it.
struct ProcessorReport {
  ProcessorNames names;
  std::optional<ProcessorFailure> failure;

  bool ok() const { return !failure.has_value(); }
  static ProcessorReport Failed(std::u16string step, std::uint32_t hresult, int os_error = 0) {
    ProcessorReport r;
    r.failure = ProcessorFailure{std::move(step), hresult, os_error};
    return r;
  }
};

// The processors of the computer the program runs on. Every call queries the
// platform afresh; nothing is cached.
class ProcessorSource {
 public:
  virtual ~ProcessorSource() = default;
  virtual ProcessorReport Query() = 0;
};

// Step names of the WMI sequence, as they appear in the failure message.
inline constexpr std::u16string_view kStepBind = u"绑定 winmgmts:\\\\.\\root\\CIMV2";
inline constexpr std::u16string_view kStepExecQuery = u"ExecQuery";
inline constexpr std::u16string_view kStepEnumerate = u"枚举查询结果";
inline constexpr std::u16string_view kStepReadName = u"读取 Name";

// "本机CPU名称：" followed, per processor, by CR LF and its name (a null name
// leaves its line empty); nothing after the last name.
std::u16string BuildProcessorMessage(const ProcessorNames& names);

// The warning shown instead of the processor message when the source failed:
// "无法读取本机CPU型号：<step> 失败 (HRESULT 0x8004100E)".
std::u16string BuildProcessorFailureMessage(const ProcessorFailure& failure);

// The warning shown where the program was given no processor source.
inline constexpr std::u16string_view kNoProcessorSourceMessage = u"无法读取本机CPU型号：此平台没有可用的处理器信息来源";

// ---- Linux: /proc/cpuinfo ---------------------------------------------------

// The processors described by the text of /proc/cpuinfo: one name per
// physical package ("physical id"), packages in ascending id order, each named
// by the "model name" of its first logical processor (null when it has none).
// Logical processors without a "physical id" count as package 0. UTF-8 text;
// the value is taken as it stands after "key<tabs>: ", trailing spaces kept.
ProcessorNames ParseCpuinfo(std::string_view text);

// Reads a cpuinfo file (by default the kernel's) on every query.
class CpuinfoProcessorSource : public ProcessorSource {
 public:
  explicit CpuinfoProcessorSource(std::string path = "/proc/cpuinfo") : path_(std::move(path)) {}
  ProcessorReport Query() override;

 private:
  std::string path_;
};

// ---- the platform's own source ----------------------------------------------

// The local processors from the platform's own source: WMI on Windows (COM
// initialised for the calling thread for the call's duration; a console
// program has no other place that does), /proc/cpuinfo elsewhere. Defined in
// commands/win32/local_processors_win32.cpp and
// commands/local_processors_posix.cpp.
ProcessorReport QueryLocalProcessors();

// Prints the local processor names, one a line (a null name as an empty
// line), as UTF-8 to `out` and returns 0; on failure prints the failure
// message to `err` and returns 1, and returns 1 when `out` cannot be written.
int PrintLocalProcessors(std::ostream& out, std::ostream& err);

}  // namespace tianti::commands
