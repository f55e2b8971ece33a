#include "platform/printing/terminal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace velto::platform {
namespace {

// Decodes one UTF-8 character at `s[i]`; `length` receives its byte count (1 for a stray byte).
char32_t DecodeUtf8(std::string_view s, size_t i, size_t& length) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) {
    length = 1;
    return c;
  }
  char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1f) : n == 3 ? (c & 0x0f) : (c & 0x07);
  for (size_t k = 1; k < n; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + k]);
    if ((cc >> 6) != 2) {
      length = 1;
      return c;
    }
    cp = (cp << 6) | (cc & 0x3f);
  }
  length = n;
  return cp;
}

// Bytes of a complete UTF-8 character at the front of `s`, 0 when it is still incomplete.
size_t CompleteCharacter(std::string_view s) {
  unsigned char c = static_cast<unsigned char>(s[0]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  return s.size() >= n ? n : 0;
}

TerminalIo* currentTerminal = nullptr;

}  // namespace

TerminalIo* TerminalIo::Current() { return currentTerminal; }

ScopedTerminalRelease::ScopedTerminalRelease() : io_(currentTerminal) {
  if (io_) io_->Suspend();
}

ScopedTerminalRelease::~ScopedTerminalRelease() {
  if (io_) io_->Resume();
}

int CellWidth(char32_t c) {
  if (c < 0x1100) return 1;
  if ((c <= 0x115f) || (c >= 0x2e80 && c <= 0xa4cf && c != 0x303f) || (c >= 0xac00 && c <= 0xd7a3) ||
      (c >= 0xf900 && c <= 0xfaff) || (c >= 0xfe30 && c <= 0xfe4f) || (c >= 0xff00 && c <= 0xff60) ||
      (c >= 0xffe0 && c <= 0xffe6) || (c >= 0x20000 && c <= 0x3fffd))
    return 2;
  return 1;
}

int TextWidth(std::string_view utf8) {
  int width = 0;
  for (size_t i = 0, n = 0; i < utf8.size(); i += n) width += CellWidth(DecodeUtf8(utf8, i, n));
  return width;
}

std::vector<std::string> SplitCharacters(std::string_view utf8) {
  std::vector<std::string> out;
  for (size_t i = 0, n = 0; i < utf8.size(); i += n) {
    DecodeUtf8(utf8, i, n);
    out.emplace_back(utf8.substr(i, n));
  }
  return out;
}

void KeyDecoder::Feed(std::string_view bytes) { pending_.append(bytes); }

KeyEvent KeyDecoder::Next(bool escapeComplete) {
  if (pending_.empty()) return {};
  auto take = [&](size_t n, Key key, std::string text = {}) {
    pending_.erase(0, n);
    return KeyEvent{key, std::move(text)};
  };
  unsigned char c = static_cast<unsigned char>(pending_[0]);
  if (c == 0x1b) {
    if (pending_.size() == 1) return escapeComplete ? take(1, Key::Escape) : KeyEvent{};
    if (pending_[1] == ' ') return take(2, Key::SystemMenu);  // Alt-Space
    if (pending_[1] == '[' || pending_[1] == 'O') {
      // A control sequence: parameters, then one final byte in 0x40..0x7e.
      size_t end = 2;
      while (end < pending_.size() && !(pending_[end] >= 0x40 && pending_[end] <= 0x7e)) ++end;
      if (end >= pending_.size()) return escapeComplete ? take(pending_.size(), Key::Escape) : KeyEvent{};
      std::string seq = pending_.substr(0, end + 1);
      pending_.erase(0, end + 1);
      switch (seq.back()) {
        case 'A': return {Key::Up, {}};
        case 'B': return {Key::Down, {}};
        case 'C': return {Key::Right, {}};
        case 'D': return {Key::Left, {}};
        case 'Z': return {Key::BackTab, {}};
        case '~': return {seq == "\x1b[21~" ? Key::SystemMenu : Key::None, {}};
        default: return {};
      }
    }
    return take(1, Key::Escape);
  }
  if (c == '\r' || c == '\n') return take(1, Key::Enter);
  if (c == '\t') return take(1, Key::Tab);
  if (c == ' ') return take(1, Key::Space);
  if (c == 3) return take(1, Key::Escape);  // Ctrl-C cancels like Escape
  if (c < 0x20 || c == 0x7f) return take(1, Key::None);
  size_t n = CompleteCharacter(pending_);
  if (n == 0) return {};
  return take(n, Key::Character, pending_.substr(0, n));
}

std::unique_ptr<TerminalIo> TerminalIo::OpenControlling() {
  int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (!::isatty(fd)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<TerminalIo>(fd, true);
}

TerminalIo::TerminalIo(int fd, bool ownsFd) : fd_(fd), ownsFd_(ownsFd) {
  previousCurrent_ = currentTerminal;
  currentTerminal = this;
  Enter();
}

TerminalIo::~TerminalIo() {
  Leave();
  if (currentTerminal == this) currentTerminal = previousCurrent_;
  if (ownsFd_) ::close(fd_);
}

void TerminalIo::Enter() {
  if (active_) return;
  termios mode{};
  if (::tcgetattr(fd_, &mode) == 0) {
    savedMode_.assign(reinterpret_cast<uint8_t*>(&mode), reinterpret_cast<uint8_t*>(&mode) + sizeof mode);
    haveSavedMode_ = true;
    termios raw = mode;
    raw.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(fd_, TCSANOW, &raw);
  }
  active_ = true;
  ++generation_;
  Write("\x1b[?1049h\x1b[?25l\x1b[2J");
}

void TerminalIo::Leave() {
  if (!active_) return;
  Write("\x1b[0m\x1b[?25h\x1b[?1049l");
  if (haveSavedMode_) {
    termios mode{};
    std::memcpy(&mode, savedMode_.data(), sizeof mode);
    ::tcsetattr(fd_, TCSANOW, &mode);
  }
  active_ = false;
}

void TerminalIo::Suspend() { Leave(); }
void TerminalIo::Resume() { Enter(); }

void TerminalIo::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

KeyEvent TerminalIo::ReadKey() {
  for (;;) {
    KeyEvent key = decoder_.Next(false);
    if (key.key != Key::None) return key;
    pollfd p{fd_, POLLIN, 0};
    // A lone Escape is a key of its own when nothing follows it within 50 ms.
    int ready = ::poll(&p, 1, 50);
    if (ready == 0) {
      key = decoder_.Next(true);
      if (key.key != Key::None) return key;
      continue;
    }
    if (ready < 0) {
      if (errno == EINTR) continue;
      return {Key::Closed, {}};
    }
    char buffer[256];
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return {Key::Closed, {}};
    decoder_.Feed(std::string_view(buffer, static_cast<size_t>(n)));
  }
}

int TerminalIo::Rows() const {
  winsize size{};
  return ::ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_row ? size.ws_row : 0;
}

int TerminalIo::Columns() const {
  winsize size{};
  return ::ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_col ? size.ws_col : 0;
}

ScreenCanvas::ScreenCanvas(int rows, int columns)
    : rows_(rows), columns_(columns), cells_(static_cast<size_t>(rows * columns)) {}

void ScreenCanvas::SetCell(int row, int column, std::string glyph, uint8_t attr) {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return;
  Cell& cell = cells_[static_cast<size_t>(row * columns_ + column)];
  // Overwriting half of a wide character blanks its other half.
  if (cell.glyph.empty() && column > 0) cells_[static_cast<size_t>(row * columns_ + column - 1)].glyph.assign(1, ' ');
  if (column + 1 < columns_ && cells_[static_cast<size_t>(row * columns_ + column + 1)].glyph.empty())
    cells_[static_cast<size_t>(row * columns_ + column + 1)].glyph.assign(1, ' ');
  cell.glyph = std::move(glyph);
  cell.attr = attr;
}

void ScreenCanvas::Put(int row, int column, std::string_view text, uint8_t attr, int maxCells) {
  int used = 0;
  for (size_t i = 0, n = 0; i < text.size(); i += n) {
    char32_t c = DecodeUtf8(text, i, n);
    int width = CellWidth(c);
    if (c < 0x20) continue;
    if (used + width > maxCells || column + used + width > columns_) break;
    SetCell(row, column + used, std::string(text.substr(i, n)), attr);
    if (width == 2) {
      SetCell(row, column + used + 1, "", attr);
    }
    used += width;
  }
}

void ScreenCanvas::Fill(int row, int column, int rows, int columns, std::string_view glyph, uint8_t attr) {
  for (int r = row; r < row + rows; ++r)
    for (int c = column; c < column + columns; ++c) SetCell(r, c, std::string(glyph), attr);
}

void ScreenCanvas::Frame(int row, int column, int rows, int columns) {
  if (rows < 2 || columns < 2) return;
  for (int c = column + 1; c < column + columns - 1; ++c) {
    SetCell(row, c, "─", kPlain);
    SetCell(row + rows - 1, c, "─", kPlain);
  }
  for (int r = row + 1; r < row + rows - 1; ++r) {
    SetCell(r, column, "│", kPlain);
    SetCell(r, column + columns - 1, "│", kPlain);
  }
  SetCell(row, column, "┌", kPlain);
  SetCell(row, column + columns - 1, "┐", kPlain);
  SetCell(row + rows - 1, column, "└", kPlain);
  SetCell(row + rows - 1, column + columns - 1, "┘", kPlain);
}

std::string ScreenCanvas::RowText(int row) const {
  std::string out;
  for (int c = 0; c < columns_; ++c) out += cells_[static_cast<size_t>(row * columns_ + c)].glyph;
  return out;
}

std::string ScreenCanvas::RenderRow(int row, int maxColumns) const {
  std::string out;
  uint8_t current = kPlain;
  for (int c = 0; c < columns_; ++c) {
    const Cell& cell = cells_[static_cast<size_t>(row * columns_ + c)];
    if (cell.glyph.empty()) continue;
    const bool wide = c + 1 < columns_ && cells_[static_cast<size_t>(row * columns_ + c + 1)].glyph.empty();
    if (c + (wide ? 2 : 1) > maxColumns) break;
    if (cell.attr != current) {
      out += "\x1b[0";
      if (cell.attr & kBold) out += ";1";
      if (cell.attr & kDim) out += ";2";
      if (cell.attr & kUnderline) out += ";4";
      if (cell.attr & kReverse) out += ";7";
      if (cell.attr & kBlue) out += ";34";
      if (cell.attr & kPurple) out += ";35";
      out += "m";
      current = cell.attr;
    }
    out += cell.glyph;
  }
  if (current != kPlain) out += "\x1b[0m";
  return out;
}

void ScreenPresenter::Present(TerminalIo& io, const ScreenCanvas& canvas) {
  if (generation_ != io.Generation()) {
    previous_.clear();
    generation_ = io.Generation();
  }
  if (previous_.size() != static_cast<size_t>(canvas.Rows())) {
    previous_.assign(static_cast<size_t>(canvas.Rows()), std::string());
    io.Write("\x1b[0m\x1b[2J");
  }
  const int rows = io.Rows() > 0 ? std::min(io.Rows(), canvas.Rows()) : canvas.Rows();
  const int columns = io.Columns() > 0 ? io.Columns() : canvas.Columns();
  std::string out;
  for (int r = 0; r < rows; ++r) {
    std::string row = canvas.RenderRow(r, columns);
    if (row == previous_[static_cast<size_t>(r)]) continue;
    out.append("\x1b[").append(std::to_string(r + 1)).append(";1H\x1b[2K").append(row);
    previous_[static_cast<size_t>(r)] = std::move(row);
  }
  if (!out.empty()) io.Write(out);
}

}  // namespace velto::platform
