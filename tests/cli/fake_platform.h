// tianti-cli run in-process over injected local processors and adapters.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "commands/adapter.h"
#include "commands/processor.h"

namespace tianti::cli {

class FakeProcessors : public commands::ProcessorSource {
 public:
  commands::ProcessorReport report;
  commands::ProcessorReport Query() override { return report; }
};

class FakeAdapters : public commands::AdapterSource {
 public:
  commands::AdapterReport report;
  commands::AdapterReport Query() override { return report; }
};

struct Result {
  int code;
  std::string out;
  std::string err;
};

// A test that runs tianti-cli with `processors` and `adapters` as the
// machine's devices.
struct FakePlatformTest : ::testing::Test {
  FakeProcessors processors;
  FakeAdapters adapters;

  Result Run(const std::vector<std::u16string>& args) {
    commands::Platform platform;
    platform.processors = &processors;
    platform.adapters = &adapters;
    std::ostringstream out, err;
    const int code = cli::Run(args, out, err, platform);
    return {code, out.str(), err.str()};
  }
};

}  // namespace tianti::cli
