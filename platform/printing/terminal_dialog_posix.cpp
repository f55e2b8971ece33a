#include "platform/printing/terminal_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <unistd.h>

namespace velto::platform {
namespace {

TerminalDialog* activeDialog = nullptr;
int beeps = 0;

constexpr int kCellWidthUnits = 4;
constexpr int kCellHeightUnits = 8;
constexpr const char* kKeyLegend = "Tab 切换  Enter 按下  Esc 取消  F10 系统菜单";

int Cells(int start, int length, int unitsPerCell) {
  return std::max(1, (start + length) / unitsPerCell - start / unitsPerCell);
}

// The menu text without its "&" marker, and the marked key letter (lower case), if any.
std::pair<std::string, char> MenuLabel(const std::string& text) {
  std::string label;
  char key = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      key = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
      continue;
    }
    label += text[i];
  }
  return {label, key};
}

// Breaks a message into lines of at most `width` cells, at its own line breaks and where it must.
std::vector<std::string> WrapText(const std::string& text, int width) {
  std::vector<std::string> lines(1);
  int used = 0;
  for (const std::string& ch : SplitCharacters(text)) {
    if (ch == "\n") {
      lines.emplace_back();
      used = 0;
      continue;
    }
    if (ch == "\r") continue;
    int w = TextWidth(ch);
    if (used + w > width) {
      lines.emplace_back();
      used = 0;
    }
    lines.back() += ch;
    used += w;
  }
  return lines;
}

}  // namespace

TerminalDialog::TerminalDialog(std::string title, int widthUnits, int heightUnits, bool framed)
    : title_(std::move(title)), width_(widthUnits), height_(heightUnits), framed_(framed) {}

DialogControl& TerminalDialog::AddControl(DialogControl control) {
  controls_.push_back(std::move(control));
  return controls_.back();
}

DialogControl* TerminalDialog::Control(int id) {
  for (auto& c : controls_)
    if (c.id == id && id != -1) return &c;
  return nullptr;
}

const DialogControl* TerminalDialog::Control(int id) const {
  return const_cast<TerminalDialog*>(this)->Control(id);
}

TerminalDialog* TerminalDialog::Active() { return activeDialog; }

int TerminalDialog::FocusedId() const {
  return focus_ >= 0 && focus_ < static_cast<int>(controls_.size()) ? controls_[static_cast<size_t>(focus_)].id : -1;
}

void TerminalDialog::SetFocus(int id) {
  for (size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i].id == id && controls_[i].Focusable()) focus_ = static_cast<int>(i);
}

void TerminalDialog::MoveFocus(int step) {
  const int n = static_cast<int>(controls_.size());
  for (int k = 1; k <= n; ++k) {
    int i = ((focus_ < 0 ? (step > 0 ? -1 : 0) : focus_) + step * k % n + n) % n;
    if (controls_[static_cast<size_t>(i)].Focusable()) {
      focus_ = i;
      return;
    }
  }
}

void TerminalDialog::SetBusy(bool busy) {
  busy_ = busy;
  Redraw();
}

std::optional<DialogRect> TerminalDialog::ControlRect(int id) const {
  if (const DialogControl* control = Control(id)) return control->rect;
  return std::nullopt;
}

void TerminalDialog::MoveControl(int id, const DialogRect& rect) {
  if (DialogControl* control = Control(id)) {
    control->rect = rect;
    Redraw();
  }
}

void TerminalDialog::ShowControl(int id, bool visible) {
  if (DialogControl* control = Control(id)) control->visible = visible;
}

std::string TerminalDialog::ControlText(int id) const {
  const DialogControl* control = Control(id);
  return control ? control->text : std::string();
}

void TerminalDialog::SetControlText(int id, const std::string& text) {
  if (DialogControl* control = Control(id)) control->text = text;
}

unsigned TerminalDialog::ControlStyle(int id) const {
  const DialogControl* control = Control(id);
  return control ? control->style : 0;
}

void TerminalDialog::SetProgressRange(int id, int low, int high) {
  if (DialogControl* control = Control(id)) {
    control->rangeLow = low;
    control->rangeHigh = high;
  }
}

void TerminalDialog::SetProgressPosition(int id, int position) {
  if (DialogControl* control = Control(id)) control->position = position;
}

bool TerminalDialog::AppendSystemMenuItem(int command, const std::string& text) {
  systemMenu_.push_back({command, text});
  return true;
}

bool TerminalDialog::AttachLink(int id, HyperlinkControl& link) {
  DialogControl* control = Control(id);
  if (!control) return false;
  control->link = &link;
  if (control->kind == ControlKind::Static) control->kind = ControlKind::Link;
  InvalidateControl(id);
  return true;
}

void TerminalDialog::InvalidateControl(int id) {
  DialogControl* control = Control(id);
  if (!control) return;
  if (control->link) {
    // The reflected control colour: a text static draws underlined in the link's colour, which a
    // terminal shows as blue (COLORREF 0x00FF0000, unvisited) or purple (anything else: visited).
    constexpr uint32_t kBlueColour = 0x00FF0000;
    const bool blue = control->link->LinkColour() == kBlueColour;
    control->textAttr = control->link->OnCtlColor() ? static_cast<uint8_t>(kUnderline | (blue ? kBlue : kPurple))
                                                    : static_cast<uint8_t>(kPlain);
  }
  Redraw();
}

void TerminalDialog::Redraw() {
  if (io_) Present();
}

int TerminalDialog::Origin(int canvasSize, int ownSize) const { return std::max(0, (canvasSize - ownSize) / 2); }

void TerminalDialog::DrawControls(ScreenCanvas& canvas, int row, int column) const {
  for (size_t i = 0; i < controls_.size(); ++i) {
    const DialogControl& c = controls_[i];
    if (!c.visible) continue;
    const int r = row + c.rect.y / kCellHeightUnits;
    const int col = column + c.rect.x / kCellWidthUnits;
    const int cells = Cells(c.rect.x, c.rect.width, kCellWidthUnits);
    const bool focused = static_cast<int>(i) == focus_;
    switch (c.kind) {
      case ControlKind::PushButton: {
        std::string label = "[ " + c.text + " ]";
        int pad = std::max(0, (cells - TextWidth(label)) / 2);
        uint8_t attr = static_cast<uint8_t>((focused ? kReverse : kPlain) | (c.isDefault ? kBold : kPlain));
        canvas.Put(r, col + pad, label, attr, cells - pad);
        break;
      }
      case ControlKind::Static:
        canvas.Put(r, col, c.text, c.textAttr, cells);
        break;
      case ControlKind::Link:
        canvas.Put(r, col, c.text, static_cast<uint8_t>(c.textAttr | (focused ? kReverse : kPlain)), cells);
        break;
      case ControlKind::ProgressBar: {
        const int low = c.rangeLow, high = std::max(c.rangeLow + 1, c.rangeHigh);
        const int pos = std::clamp(c.position, low, high);
        const int filled = (pos - low) * cells / (high - low);
        std::string bar;
        for (int k = 0; k < cells; ++k) bar += k < filled ? "█" : "░";
        canvas.Put(r, col, bar, kPlain, cells);
        char percent[16];
        std::snprintf(percent, sizeof percent, " %3d%%", (pos - low) * 100 / (high - low));
        canvas.Put(r, col + cells, percent);
        break;
      }
      case ControlKind::Picture: {
        const int rows = Cells(c.rect.y, c.rect.height, kCellHeightUnits);
        uint8_t attr = focused ? kReverse : kPlain;
        for (int k = 0; k < rows && k < static_cast<int>(c.picture.size()); ++k)
          canvas.Put(r + k, col, c.picture[static_cast<size_t>(k)], attr, cells);
        break;
      }
    }
  }
}

void TerminalDialog::Draw(ScreenCanvas& canvas) const {
  const int rows = height_ / kCellHeightUnits, columns = width_ / kCellWidthUnits;
  int clientRow = 1, clientColumn = 0;
  if (framed_) {
    const int top = Origin(canvas.Rows() - 1, rows + 2), left = Origin(canvas.Columns(), columns + 2);
    canvas.Fill(top, left, rows + 2, columns + 2);
    canvas.Frame(top, left, rows + 2, columns + 2);
    canvas.Put(top, left + 2, " " + title_ + " ", kBold, columns - 2);
    clientRow = top + 1;
    clientColumn = left + 1;
  } else {
    canvas.Fill(0, 0, canvas.Rows(), canvas.Columns());
    if (minimized_) {
      const_cast<TerminalDialog*>(this)->OnPaint(canvas, clientRow, clientColumn);
      canvas.Put(canvas.Rows() - 1, 0, "按任意键还原", kDim);
      return;
    }
    canvas.Fill(0, 0, 1, canvas.Columns(), " ", kReverse);
    canvas.Put(0, 0, "[-] " + title_, kReverse);
    std::string right = std::string(busy_ ? "[wait] " : "") + "[_][x]";
    canvas.Put(0, canvas.Columns() - TextWidth(right), right, kReverse);
    canvas.Put(canvas.Rows() - 1, 0, kKeyLegend, kDim);
  }
  if (!const_cast<TerminalDialog*>(this)->OnPaint(canvas, clientRow, clientColumn))
    DrawControls(canvas, clientRow, clientColumn);
}

void TerminalDialog::DrawStack(ScreenCanvas& canvas) const {
  if (owner_) owner_->DrawStack(canvas);
  Draw(canvas);
  if (overlay_) overlay_(canvas);
}

void TerminalDialog::Present() {
  const TerminalDialog* root = this;
  while (root->owner_) root = root->owner_;
  ScreenCanvas canvas(root->height_ / kCellHeightUnits + (root->framed_ ? 3 : 2),
                      root->width_ / kCellWidthUnits + (root->framed_ ? 2 : 0));
  // Draw from the top-most dialog so that every overlay of the stack shows.
  const TerminalDialog* top = activeDialog ? activeDialog : this;
  top->DrawStack(canvas);
  presenter_->Present(*io_, canvas);
}

int TerminalDialog::RunModal(TerminalIo& io, TerminalDialog* owner) {
  io_ = &io;
  owner_ = owner;
  if (owner) {
    presenter_ = owner->presenter_;
  } else {
    presenter_ = &ownPresenter_.emplace();
  }
  previousActive_ = activeDialog;
  activeDialog = this;
  result_.reset();
  if (focus_ < 0) MoveFocus(1);
  Present();
  while (!result_) {
    KeyEvent key = io.ReadKey();
    if (key.key == Key::Closed) {
      result_ = IDCANCEL;
      break;
    }
    if (minimized_) {
      OnSysCommand(SC_RESTORE);
    } else {
      switch (key.key) {
        case Key::Tab: case Key::Down: case Key::Right: MoveFocus(1); break;
        case Key::BackTab: case Key::Up: case Key::Left: MoveFocus(-1); break;
        case Key::Enter: case Key::Space: Press(); break;
        case Key::Escape: OnCommand(IDCANCEL); break;
        case Key::SystemMenu: ShowSystemMenu(); break;
        default: break;
      }
    }
    if (!result_) Present();
  }
  activeDialog = previousActive_;
  io_ = nullptr;
  TerminalDialog* previousOwner = owner_;
  owner_ = nullptr;
  if (previousOwner) previousOwner->Redraw();
  return *result_;
}

void TerminalDialog::Press() {
  if (focus_ < 0 || focus_ >= static_cast<int>(controls_.size())) {
    OnCommand(IDOK);
    return;
  }
  DialogControl& control = controls_[static_cast<size_t>(focus_)];
  if (control.link) {
    control.link->OnLButtonDown();  // a link follows itself, as a click on its window does
  } else {
    OnCommand(control.id == -1 ? IDOK : control.id);
  }
}

void TerminalDialog::OnCommand(int id) {
  if (id == IDOK || id == IDCANCEL) EndDialog(id);
}

void TerminalDialog::OnSysCommand(int command) { DefaultSysCommand(command); }

void TerminalDialog::DefaultSysCommand(int command) {
  switch (command) {
    case SC_CLOSE: OnCommand(IDCANCEL); break;
    case SC_MINIMIZE: minimized_ = true; break;
    case SC_RESTORE: minimized_ = false; break;
    default: break;  // a terminal dialog cannot be moved
  }
  Redraw();
}

void TerminalDialog::ShowSystemMenu() {
  std::vector<SystemMenuItem> items = {{SC_RESTORE, "还原(&R)"}, {SC_MOVE, "移动(&M)"},
                                       {SC_MINIMIZE, "最小化(&N)"}, {SC_CLOSE, "关闭(&C)"}};
  items.insert(items.end(), systemMenu_.begin(), systemMenu_.end());
  int selected = 1;
  int width = 0;
  for (const auto& item : items) width = std::max(width, TextWidth(MenuLabel(item.text).first));
  overlay_ = [&](ScreenCanvas& canvas) {
    canvas.Fill(1, 0, static_cast<int>(items.size()) + 2, width + 4);
    canvas.Frame(1, 0, static_cast<int>(items.size()) + 2, width + 4);
    for (size_t i = 0; i < items.size(); ++i) {
      int row = 2 + static_cast<int>(i);
      if (items[i].command == 0) {
        canvas.Fill(row, 1, 1, width + 2, "─");
        continue;
      }
      bool enabled = items[i].command != SC_RESTORE || minimized_;
      uint8_t attr = static_cast<uint8_t>((static_cast<int>(i) == selected ? kReverse : kPlain) | (enabled ? kPlain : kDim));
      canvas.Fill(row, 1, 1, width + 2, " ", attr);
      canvas.Put(row, 2, MenuLabel(items[i].text).first, attr);
    }
  };
  std::optional<int> chosen;
  const int n = static_cast<int>(items.size());
  auto step = [&](int direction) {
    do selected = (selected + direction + n) % n;
    while (items[static_cast<size_t>(selected)].command == 0);
  };
  for (bool open = true; open;) {
    Present();
    KeyEvent key = io_->ReadKey();
    switch (key.key) {
      case Key::Down: case Key::Tab: step(1); break;
      case Key::Up: case Key::BackTab: step(-1); break;
      case Key::Enter: case Key::Space: chosen = items[static_cast<size_t>(selected)].command; open = false; break;
      case Key::Escape: case Key::SystemMenu: case Key::Closed: open = false; break;
      case Key::Character:
        for (const auto& item : items)
          if (item.command && key.text.size() == 1 &&
              MenuLabel(item.text).second == std::tolower(static_cast<unsigned char>(key.text[0]))) {
            chosen = item.command;
            open = false;
          }
        break;
      default: break;
    }
  }
  overlay_ = nullptr;
  if (chosen && (*chosen != SC_RESTORE || minimized_)) OnSysCommand(*chosen);
}

int TerminalDialog::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  if (!io_) return CurrentDialogHost().MessageBox(text, caption, style);
  const bool yesNo = (style & 0xF) == MB_YESNO;
  const std::string iconName = MessageBoxIconName(style);
  const TerminalDialog* root = this;
  while (root->owner_) root = root->owner_;
  const int canvasColumns = root->width_ / kCellWidthUnits;
  const int maxText = std::max(20, canvasColumns - 8);
  std::vector<std::string> lines = WrapText(text, maxText);
  if (!iconName.empty()) lines.insert(lines.begin(), "[" + iconName + "]");
  int width = TextWidth(caption) + 6;
  for (const auto& line : lines) width = std::max(width, TextWidth(line) + 4);
  width = std::max(width, yesNo ? 24 : 14);
  int selected = 0;  // 0: OK or Yes, 1: No
  overlay_ = [&](ScreenCanvas& canvas) {
    const int rows = static_cast<int>(lines.size()) + 4;
    const int top = std::max(0, (canvas.Rows() - rows) / 2), left = std::max(0, (canvas.Columns() - width) / 2);
    canvas.Fill(top, left, rows, width);
    canvas.Frame(top, left, rows, width);
    canvas.Put(top, left + 2, " " + caption + " ", kBold, width - 4);
    for (size_t i = 0; i < lines.size(); ++i) canvas.Put(top + 1 + static_cast<int>(i), left + 2, lines[i], kPlain, width - 4);
    const int buttonRow = top + rows - 2;
    if (yesNo) {
      canvas.Put(buttonRow, left + width / 2 - 10, "[ 是(Y) ]", selected == 0 ? kReverse : kPlain);
      canvas.Put(buttonRow, left + width / 2 + 1, "[ 否(N) ]", selected == 1 ? kReverse : kPlain);
    } else {
      canvas.Put(buttonRow, left + (width - 8) / 2, "[ 确定 ]", kReverse);
    }
  };
  std::optional<int> answer;
  while (!answer) {
    Present();
    KeyEvent key = io_->ReadKey();
    switch (key.key) {
      case Key::Closed: answer = yesNo ? IDNO : IDOK; break;
      case Key::Enter: case Key::Space: answer = yesNo ? (selected == 0 ? IDYES : IDNO) : IDOK; break;
      case Key::Escape: if (!yesNo) answer = IDOK; break;  // a Yes/No box has no cancel
      case Key::Tab: case Key::BackTab: case Key::Left: case Key::Right: selected = yesNo ? 1 - selected : 0; break;
      case Key::Character:
        if (yesNo && (key.text == "y" || key.text == "Y")) answer = IDYES;
        if (yesNo && (key.text == "n" || key.text == "N")) answer = IDNO;
        break;
      default: break;
    }
  }
  overlay_ = nullptr;
  Present();
  return *answer;
}

TerminalMessageBoxHost::TerminalMessageBoxHost(TerminalDialog& dialog)
    : dialog_(dialog), previous_(CurrentDialogHost()) {
  SetDialogHost(this);
}

TerminalMessageBoxHost::~TerminalMessageBoxHost() { SetDialogHost(&previous_); }

int TerminalMessageBoxHost::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  TerminalDialog* top = TerminalDialog::Active();
  if (!top && dialog_.Running()) top = &dialog_;
  if (top) return top->MessageBox(text, caption, style);
  return previous_.MessageBox(text, caption, style);
}

SaveDialogResult TerminalMessageBoxHost::SaveDialog(const SaveDialogRequest& request) {
  return previous_.SaveDialog(request);
}

void MessageBeep(unsigned) {
  ++beeps;
  if (TerminalDialog* top = TerminalDialog::Active(); top && top->Io()) {
    top->Io()->Beep();
  } else {
    (void)!::write(2, "\a", 1);
  }
}

int MessageBeepCount() { return beeps; }

bool SetHandCursor() { return true; }  // a terminal shows the focus, and links always have it

std::string MessageBoxIconName(unsigned style) {
  switch (style & 0xF0) {
    case MB_ICONERROR: return "Error";
    case MB_ICONQUESTION: return "Question";
    case MB_ICONEXCLAMATION: return "Warning";
    case MB_ICONINFORMATION: return "Information";
    default: return "";
  }
}

}  // namespace velto::platform
