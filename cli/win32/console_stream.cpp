#include "cli/win32/console_stream.h"

#include <algorithm>

#include "common/utf8.h"

namespace tianti::cli::win32 {

namespace {

// Where a UTF-8 sequence that the end of `bytes` cuts short begins; the size
// of `bytes` when none is cut.
std::size_t CutSequenceStart(const std::string& bytes) {
  const std::size_t n = bytes.size();
  for (std::size_t i = n > 3 ? n - 3 : 0; i < n; ++i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0xC2 || lead > 0xF4) continue;
    const Utf8Sequence seq = ReadUtf8(bytes, i);
    if (!seq.ok && i + seq.length == n) return i;  // a valid start, cut by the end
  }
  return n;
}

// Writes `text` in pieces that the oldest consoles accept, never splitting a
// surrogate pair between two calls.
bool WriteConsoleText(HANDLE console, const std::u16string& text) {
  constexpr std::size_t kPiece = 8192;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t n = std::min(kPiece, text.size() - at);
    if (at + n < text.size() && text[at + n - 1] >= 0xD800 && text[at + n - 1] <= 0xDBFF) --n;
    DWORD written = 0;
    if (!WriteConsoleW(console, reinterpret_cast<const wchar_t*>(text.data() + at), static_cast<DWORD>(n), &written,
                       nullptr) ||
        written == 0) {
      return false;
    }
    at += written;
  }
  return true;
}

}  // namespace

ConsoleStreamBuf::~ConsoleStreamBuf() { WriteHeld(true); }

ConsoleStreamBuf::int_type ConsoleStreamBuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  held_.push_back(traits_type::to_char_type(c));
  if (held_.size() >= 4096 && !WriteHeld(false)) return traits_type::eof();
  return c;
}

std::streamsize ConsoleStreamBuf::xsputn(const char* s, std::streamsize n) {
  held_.append(s, static_cast<std::size_t>(n));
  if (held_.size() >= 4096 && !WriteHeld(false)) return 0;
  return n;
}

int ConsoleStreamBuf::sync() { return WriteHeld(false) ? 0 : -1; }

bool ConsoleStreamBuf::WriteHeld(bool all) {
  const std::size_t end = all ? held_.size() : CutSequenceStart(held_);
  if (end == 0) return true;
  const std::u16string text = FromUtf8(std::string_view(held_).substr(0, end));
  held_.erase(0, end);
  return WriteConsoleText(console_, text);
}

ConsoleRedirect::ConsoleRedirect(std::ostream& stream, DWORD which) : stream_(stream) {
  HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return;
  stream_.flush();
  buffer_ = std::make_unique<ConsoleStreamBuf>(handle);
  previous_ = stream_.rdbuf(buffer_.get());
}

ConsoleRedirect::~ConsoleRedirect() {
  if (!buffer_) return;
  stream_.flush();
  stream_.rdbuf(previous_);
}

}  // namespace tianti::cli::win32
