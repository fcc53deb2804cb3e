// The CLI's --cpu: the local processor names printed one a line; and the
// platform's own sources for its --mine.
#include <ostream>

#include "commands/adapter.h"
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
  return out ? 0 : 1;
}

namespace {

class LocalProcessors : public ProcessorSource {
 public:
  ProcessorReport Query() override { return QueryLocalProcessors(); }
};

class LocalAdapters : public AdapterSource {
 public:
  AdapterReport Query() override { return QueryLocalAdapters(); }
};

}  // namespace

ProcessorSource& LocalProcessorSource() {
  static LocalProcessors source;
  return source;
}

AdapterSource& LocalAdapterSource() {
  static LocalAdapters source;
  return source;
}

}  // namespace tianti::commands
