// tianti-cli's standard output and standard error on Windows. A stream that
// goes to a console is written to it as UTF-16 (WriteConsoleW), so that the
// console holds the exact text whatever its code page; a stream redirected
// to a file or a pipe keeps getting the UTF-8 bytes.
#pragma once

#include <windows.h>

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

namespace tianti::cli::win32 {

// Takes UTF-8 and writes it to a console as UTF-16. A sequence cut in two by
// a flush waits for the rest of its bytes; a sequence still cut when the
// buffer goes away, and every ill-formed one, is written as U+FFFD.
class ConsoleStreamBuf final : public std::streambuf {
 public:
  explicit ConsoleStreamBuf(HANDLE console) : console_(console) {}
  ~ConsoleStreamBuf() override;
  ConsoleStreamBuf(const ConsoleStreamBuf&) = delete;
  ConsoleStreamBuf& operator=(const ConsoleStreamBuf&) = delete;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  // Writes the bytes held, all of them when `all`, else up to a cut
  // sequence at their end. False when the console refused them.
  bool WriteHeld(bool all);

  HANDLE console_;
  std::string held_;
};

// While it lives, `stream` writes to the console that the standard handle
// `which` (STD_OUTPUT_HANDLE, STD_ERROR_HANDLE) is, and is left as it is
// when that handle is not a console. Flushes and restores on destruction.
class ConsoleRedirect {
 public:
  ConsoleRedirect(std::ostream& stream, DWORD which);
  ~ConsoleRedirect();
  ConsoleRedirect(const ConsoleRedirect&) = delete;
  ConsoleRedirect& operator=(const ConsoleRedirect&) = delete;

 private:
  std::ostream& stream_;
  std::unique_ptr<ConsoleStreamBuf> buffer_;
  std::streambuf* previous_ = nullptr;
};

}  // namespace tianti::cli::win32
