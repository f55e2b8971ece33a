#pragma once
// A character terminal for the dialogs: raw keyboard input decoded into keys, an alternate screen that is
// left as it was found, a canvas of character cells (Chinese characters take two) and a presenter that
// sends only the rows that changed since the last frame.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velto::platform {

// Cells a character takes on a terminal: 2 for East Asian wide characters, else 1.
int CellWidth(char32_t c);
int TextWidth(std::string_view utf8);
// The characters of a UTF-8 text, one string each (bytes that are not UTF-8 pass as single characters).
std::vector<std::string> SplitCharacters(std::string_view utf8);

enum class Key { None, Character, Enter, Escape, Tab, BackTab, Up, Down, Left, Right, Space, SystemMenu, Closed };
struct KeyEvent {
  Key key = Key::None;
  std::string text;  // the character for Key::Character
};

// Decodes key presses from terminal bytes: Tab, Shift-Tab, Enter, Escape, arrows, F10 or Alt-Space (the
// system menu), Ctrl-C (Escape) and UTF-8 characters.
class KeyDecoder {
 public:
  void Feed(std::string_view bytes);
  // The next whole key; Key::None when more bytes are needed. A lone Escape is only given out when
  // `escapeComplete` says no more bytes followed it in time.
  KeyEvent Next(bool escapeComplete);

 private:
  std::string pending_;
};

class TerminalIo {
 public:
  // The process's controlling terminal (/dev/tty); nullptr when there is none.
  static std::unique_ptr<TerminalIo> OpenControlling();
  // An open terminal descriptor, for instance the slave end of a pseudo-terminal. Not closed here unless
  // `ownsFd`.
  explicit TerminalIo(int fd, bool ownsFd = false);
  ~TerminalIo();
  TerminalIo(const TerminalIo&) = delete;
  TerminalIo& operator=(const TerminalIo&) = delete;

  void Write(std::string_view bytes);
  // Blocks until a key arrives; Key::Closed when the terminal is gone.
  KeyEvent ReadKey();
  int Rows() const;
  int Columns() const;
  // Gives the terminal back (normal screen, line mode) for a program that uses it, and takes it again.
  void Suspend();
  void Resume();
  void Beep() { Write("\a"); }
  // Counts the times the terminal was taken again after a Suspend: a frame drawn before is gone.
  unsigned Generation() const { return generation_; }
  // The terminal a dialog runs on at the moment, or nullptr.
  static TerminalIo* Current();

 private:
  void Enter();
  void Leave();
  int fd_;
  bool ownsFd_;
  bool active_ = false;
  unsigned generation_ = 0;
  TerminalIo* previousCurrent_ = nullptr;
  bool haveSavedMode_ = false;
  std::vector<uint8_t> savedMode_;
  KeyDecoder decoder_;
};

enum CellAttr : uint8_t {
  kPlain = 0,
  kBold = 1,
  kReverse = 2,
  kUnderline = 4,
  kBlue = 8,
  kPurple = 16,
  kDim = 32,
};

class ScreenCanvas {
 public:
  ScreenCanvas(int rows, int columns);
  int Rows() const { return rows_; }
  int Columns() const { return columns_; }
  // Writes `text` from (row, column), cut at `maxCells` cells (and at the canvas edge).
  void Put(int row, int column, std::string_view text, uint8_t attr = kPlain, int maxCells = 1 << 20);
  void Fill(int row, int column, int rows, int columns, std::string_view glyph = " ", uint8_t attr = kPlain);
  // A frame of box-drawing characters around the given area (its outer edge).
  void Frame(int row, int column, int rows, int columns);
  std::string RowText(int row) const;     // the row's characters without attributes
  // With terminal attribute sequences, cut at `maxColumns` cells.
  std::string RenderRow(int row, int maxColumns = 1 << 20) const;

 private:
  struct Cell {
    std::string glyph = " ";  // "" continues the wide character to its left
    uint8_t attr = kPlain;
  };
  void SetCell(int row, int column, std::string glyph, uint8_t attr);
  int rows_, columns_;
  std::vector<Cell> cells_;
};

// Gives the current terminal back for the length of a scope, for a program started meanwhile that may
// use it, and takes it again afterwards.
class ScopedTerminalRelease {
 public:
  ScopedTerminalRelease();
  ~ScopedTerminalRelease();
  ScopedTerminalRelease(const ScopedTerminalRelease&) = delete;
  ScopedTerminalRelease& operator=(const ScopedTerminalRelease&) = delete;

 private:
  TerminalIo* io_;
};

// Sends a canvas to the terminal, row by row, skipping rows equal to the previous frame's. A terminal
// smaller than the canvas shows its top left part.
class ScreenPresenter {
 public:
  void Present(TerminalIo& io, const ScreenCanvas& canvas);
  void Invalidate() { previous_.clear(); }

 private:
  std::vector<std::string> previous_;
  unsigned generation_ = 0;
};

}  // namespace velto::platform
