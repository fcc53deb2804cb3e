// The local processors where there is no WMI: the kernel's /proc/cpuinfo.
#include "commands/processor.h"

namespace tianti::commands {

ProcessorReport QueryLocalProcessors() { return CpuinfoProcessorSource().Query(); }

}  // namespace tianti::commands
