// The CLI's --cpu: the local processor names printed one a line.
#include <ostream>

#include "commands/processor.h"
#include "common/utf8.h"

namespace tianti::commands {

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
