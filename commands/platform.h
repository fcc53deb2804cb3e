// System services of the right-hand column's commands, behind small
// interfaces so the commands run under tests with replacements.
#pragma once

namespace tianti::commands {

class ProcessorSource;  // commands/processor.h
class AdapterSource;    // commands/adapter.h
class Launcher;         // commands/launcher.h

struct Platform {
  ProcessorSource* processors = nullptr;
  Launcher* launcher = nullptr;
  AdapterSource* adapters = nullptr;  // the CLI's --mine only
};

}  // namespace tianti::commands
