// The local graphics adapters on Windows: WMI's Win32_VideoController, with
// COM initialised for the call.
#include <windows.h>
#include <objbase.h>

#include "commands/adapter.h"
#include "commands/win32/processor_wmi.h"

namespace tianti::commands {

AdapterReport QueryLocalAdapters() {
  // As for the processors: only a call that initialised COM is balanced.
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ProcessorReport names = win32::QueryWmiNames(L"select * from win32_videocontroller");
  if (SUCCEEDED(init)) CoUninitialize();
  AdapterReport report;
  report.failure = names.failure;
  for (ProcessorName& name : names.names) report.adapters.push_back({std::move(name), {}});
  return report;
}

}  // namespace tianti::commands
