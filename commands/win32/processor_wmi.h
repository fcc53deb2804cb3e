// The local processors as Windows Management Instrumentation reports them.
#pragma once

#include "commands/processor.h"

namespace tianti::commands::win32 {

// Binds "winmgmts:\\.\root\CIMV2", runs "select * from win32_processor" and
// reads each result's Name, on every query. COM must already be initialised
// on the calling thread (the program's main does it once for the user
// interface thread); on a thread without COM the query reports the binding
// step as failed with CO_E_NOTINITIALIZED.
class WmiProcessorSource : public ProcessorSource {
 public:
  ProcessorReport Query() override;
};

// The same sequence for another query: the Name of each object that `wql`
// ("select * from win32_videocontroller") yields, in the result set's order.
ProcessorReport QueryWmiNames(const wchar_t* wql);

}  // namespace tianti::commands::win32
