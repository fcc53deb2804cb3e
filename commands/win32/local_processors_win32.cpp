// The local processors on Windows: WMI, with COM initialised for the call.
#include <windows.h>
#include <objbase.h>

#include "commands/processor.h"
#include "commands/win32/processor_wmi.h"

namespace tianti::commands {

ProcessorReport QueryLocalProcessors() {
  // S_FALSE: COM was already initialised on this thread; RPC_E_CHANGED_MODE:
  // initialised in the other model, usable as it is. Only a call that
  // initialised it is balanced.
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ProcessorReport report = win32::WmiProcessorSource().Query();
  if (SUCCEEDED(init)) CoUninitialize();
  return report;
}

}  // namespace tianti::commands
