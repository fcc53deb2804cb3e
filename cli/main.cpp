// Entry point of tianti-cli: turns the command line into UTF-16 and runs it.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "common/utf8.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>

#include "cli/win32/console_stream.h"

int wmain(int argc, wchar_t** argv) {
  // The table is written with its own line ends: no CR added by the C library.
  _setmode(_fileno(stdout), _O_BINARY);
  // A console gets the text as UTF-16 whatever its code page; a file or a
  // pipe gets UTF-8 bytes.
  tianti::cli::win32::ConsoleRedirect console_out(std::cout, STD_OUTPUT_HANDLE);
  tianti::cli::win32::ConsoleRedirect console_err(std::cerr, STD_ERROR_HANDLE);
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg(argv[i]);
    args.emplace_back(arg.begin(), arg.end());
  }
  return tianti::cli::Run(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(tianti::FromUtf8(argv[i]));
  return tianti::cli::Run(args, std::cout, std::cerr);
}
#endif
