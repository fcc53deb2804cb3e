// Memory of the process as the stress run and the leak test count it.
//
// What the program holds is counted where it is taken, not read from the
// heaps, whose layout is the platform's (a low-fragmentation heap packs
// small blocks into groups that a heap walk reports as one busy block, and
// keeps a group whole while one of its blocks lives):
//   - memory from `new`: this test program replaces the global operator new
//     and delete, so every C++ allocation of the program (and of the test)
//     is counted by the byte and by the block;
//   - LocalAlloc memory (the multi-line boxes' text buffers): the program's
//     calls of LocalAlloc and LocalFree go through this executable's import
//     table, whose entries are replaced by counting ones at start-up;
//   - windows: those of the calling thread, children included.
// Beside them, committed private memory, which also holds DIB sections and
// edit buffers outside the heaps.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tianti::stress {

struct ProgramMemory {
  long long new_bytes = 0, new_blocks = 0;      // from operator new, not yet deleted
  long long local_bytes = 0, local_blocks = 0;  // from LocalAlloc, not yet freed
  std::size_t windows = 0;                      // of the calling thread, children included
  SIZE_T committed = 0;                         // committed private memory
  long long heap_bytes() const { return new_bytes + local_bytes; }
};

ProgramMemory MeasureProgramMemory();

// Whether the LocalAlloc and LocalFree calls are counted (their import
// entries were found and replaced).
bool LocalAllocCounted();

std::size_t ThreadWindows();
SIZE_T CommittedPrivateBytes();

}  // namespace tianti::stress
