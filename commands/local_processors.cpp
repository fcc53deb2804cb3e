#include <ostream>

#include "commands/processor.h"
#include "ui/utf8.h"

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>

#include "commands/win32/processor_wmi.h"
#endif

namespace tianti::commands {

using ui::ToUtf8;

namespace {

ProcessorReport QueryLocalProcessors() {
#ifdef _WIN32
  // S_FALSE: COM was already initialised on this thread; RPC_E_CHANGED_MODE:
  // initialised in the other model, usable as it is. Only a call that
  // initialised it is balanced.
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ProcessorReport report = win32::WmiProcessorSource().Query();
  if (SUCCEEDED(init)) CoUninitialize();
  return report;
#else
  return CpuinfoProcessorSource().Query();
#endif
}

}  // namespace

int PrintLocalProcessors(std::ostream& out, std::ostream& err) {
  ProcessorReport report = QueryLocalProcessors();
  if (!report.ok()) {
    err << ToUtf8(BuildProcessorFailureMessage(*report.failure)) << '\n';
    return 1;
  }
  for (const ProcessorName& name : report.names) {
    if (name) out << ToUtf8(*name);
    out << '\n';
  }
  out.flush();
  return 0;
}

}  // namespace tianti::commands
