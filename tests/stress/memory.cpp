// The counting of tests/stress/memory.h: a replaced global operator new and
// delete, and LocalAlloc/LocalFree counted through this executable's
// import table.
#include "tests/stress/memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

namespace tianti::stress {
namespace {

std::atomic<long long> g_new_bytes{0}, g_new_blocks{0};
std::atomic<long long> g_local_bytes{0}, g_local_blocks{0};

// Each block of operator new carries its size in front, in a header that
// keeps the alignment malloc gives.
constexpr std::size_t kHeader = alignof(std::max_align_t) > sizeof(std::size_t) ? alignof(std::max_align_t)
                                                                                : sizeof(std::size_t);

void* CountedNew(std::size_t n) noexcept {
  auto* p = static_cast<unsigned char*>(std::malloc(n + kHeader));
  if (!p) return nullptr;
  std::memcpy(p, &n, sizeof n);
  g_new_bytes += static_cast<long long>(n);
  ++g_new_blocks;
  return p + kHeader;
}

void CountedDelete(void* block) noexcept {
  if (!block) return;
  auto* p = static_cast<unsigned char*>(block) - kHeader;
  std::size_t n;
  std::memcpy(&n, p, sizeof n);
  g_new_bytes -= static_cast<long long>(n);
  --g_new_blocks;
  std::free(p);
}

void* NewOrThrow(std::size_t n) {
  for (;;) {
    if (void* p = CountedNew(n)) return p;
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

using LocalAllocFn = HLOCAL(WINAPI*)(UINT, SIZE_T);
using LocalFreeFn = HLOCAL(WINAPI*)(HLOCAL);
LocalAllocFn g_local_alloc = nullptr;
LocalFreeFn g_local_free = nullptr;

// The program's LocalAlloc blocks that it has not freed, with the size each
// had when it was taken: a box may resize the buffer it holds, and the
// count must not drift by that. Frees of blocks the program did not take
// (a box's own first buffer) are not counted. A fixed table, so that the
// counting itself takes no memory; blocks beyond it are counted by their
// size at the free.
struct LocalBlock {
  HLOCAL handle;
  SIZE_T bytes;
};
SRWLOCK g_local_lock = SRWLOCK_INIT;
LocalBlock g_local_table[4096];
std::size_t g_local_used = 0;
long long g_local_overflow = 0;  // blocks that did not fit in the table

HLOCAL WINAPI CountingLocalAlloc(UINT flags, SIZE_T bytes) {
  HLOCAL h = g_local_alloc(flags, bytes);
  if (!h) return h;
  const SIZE_T size = LocalSize(h);
  AcquireSRWLockExclusive(&g_local_lock);
  if (g_local_used < std::size(g_local_table)) {
    g_local_table[g_local_used++] = {h, size};
  } else {
    ++g_local_overflow;
  }
  g_local_bytes += static_cast<long long>(size);
  ++g_local_blocks;
  ReleaseSRWLockExclusive(&g_local_lock);
  return h;
}

HLOCAL WINAPI CountingLocalFree(HLOCAL h) {
  const SIZE_T size_now = h ? LocalSize(h) : 0;
  HLOCAL failed = g_local_free(h);
  if (!h || failed) return failed;
  AcquireSRWLockExclusive(&g_local_lock);
  bool ours = false;
  SIZE_T bytes = 0;
  for (std::size_t i = 0; i < g_local_used; ++i) {
    if (g_local_table[i].handle == h) {
      ours = true;
      bytes = g_local_table[i].bytes;
      g_local_table[i] = g_local_table[--g_local_used];
      break;
    }
  }
  if (!ours && g_local_overflow > 0) {
    ours = true;
    bytes = size_now;
    --g_local_overflow;
  }
  if (ours) {
    g_local_bytes -= static_cast<long long>(bytes);
    --g_local_blocks;
  }
  ReleaseSRWLockExclusive(&g_local_lock);
  return failed;
}

// Points this executable's import entries for `name` at `replacement`;
// returns the function they pointed at, or null when none was found.
void* ReplaceImport(const char* name, void* replacement) {
  auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return nullptr;
  void* original = nullptr;
  for (auto* imp = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
        base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), name) != 0) continue;
      DWORD protection;
      if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection)) continue;
      if (!original) original = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
    }
  }
  return original;
}

// Installed before main, so that every call the program makes is counted.
const bool g_local_counted = [] {
  g_local_alloc = reinterpret_cast<LocalAllocFn>(
      ReplaceImport("LocalAlloc", reinterpret_cast<void*>(&CountingLocalAlloc)));
  g_local_free = reinterpret_cast<LocalFreeFn>(ReplaceImport("LocalFree", reinterpret_cast<void*>(&CountingLocalFree)));
  return g_local_alloc && g_local_free;
}();

BOOL CALLBACK CountChild(HWND, LPARAM p) {
  ++*reinterpret_cast<std::size_t*>(p);
  return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM p) {
  ++*reinterpret_cast<std::size_t*>(p);
  EnumChildWindows(hwnd, CountChild, p);
  return TRUE;
}

}  // namespace

bool LocalAllocCounted() { return g_local_counted; }

std::size_t ThreadWindows() {
  std::size_t n = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&n));
  return n;
}

SIZE_T CommittedPrivateBytes() {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION info{};
  const char* at = nullptr;
  while (VirtualQuery(at, &info, sizeof info) == sizeof info) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

ProgramMemory MeasureProgramMemory() {
  ProgramMemory m;
  m.new_bytes = g_new_bytes;
  m.new_blocks = g_new_blocks;
  m.local_bytes = g_local_bytes;
  m.local_blocks = g_local_blocks;
  m.windows = ThreadWindows();
  m.committed = CommittedPrivateBytes();
  return m;
}

}  // namespace tianti::stress

// The replaced global allocation functions (the aligned forms keep the
// library's own pair).
void* operator new(std::size_t n) { return tianti::stress::NewOrThrow(n); }
void* operator new[](std::size_t n) { return tianti::stress::NewOrThrow(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return tianti::stress::CountedNew(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return tianti::stress::CountedNew(n); }
void operator delete(void* p) noexcept { tianti::stress::CountedDelete(p); }
void operator delete[](void* p) noexcept { tianti::stress::CountedDelete(p); }
void operator delete(void* p, std::size_t) noexcept { tianti::stress::CountedDelete(p); }
void operator delete[](void* p, std::size_t) noexcept { tianti::stress::CountedDelete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { tianti::stress::CountedDelete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { tianti::stress::CountedDelete(p); }
