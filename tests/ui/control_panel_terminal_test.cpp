// The control panel on a pseudo-terminal: what a person sees and presses.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/printing/spooler.h"
#include "platform/printing/terminal.h"
#include "platform/printing/terminal_dialog.h"
#include "platform/shell_recording.h"
#include "printer/printer_setup.h"
#include "tests/printer/printer_test_environment.h"
#include "ui/control_panel.h"

namespace velto {
namespace {

namespace pf = velto::platform;
using namespace std::chrono_literals;

// Pseudo-terminals may be missing in a bare container; the tests that need one are skipped there.
bool PseudoTerminalsAvailable() {
  int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

#define REQUIRE_PSEUDO_TERMINAL() \
  if (!PseudoTerminalsAvailable()) GTEST_SKIP() << "no pseudo-terminals here"

// A pseudo-terminal with the control panel running on its slave end and a reader collecting the screen
// output from its master end.
class PanelOnTerminal {
 public:
  explicit PanelOnTerminal(std::function<int(pf::TerminalIo&)> run = [](pf::TerminalIo& io) {
    return RunControlPanel(io);
  }) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_GE(master_, 0);
    ::grantpt(master_);
    ::unlockpt(master_);
    slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
    EXPECT_GE(slave_, 0);
    winsize size{};
    size.ws_row = 27;
    size.ws_col = 80;
    ::ioctl(slave_, TIOCSWINSZ, &size);
    reader_ = std::thread([this] { Read(); });
    panel_ = std::thread([this, run] {
      pf::TerminalIo io(slave_);
      result_ = run(io);
      done_ = true;
    });
  }
  ~PanelOnTerminal() {
    // Escape closes message boxes, menus and finally the panel itself.
    for (int tries = 0; !done_ && tries < 50; ++tries) Press("\x1b");
    if (panel_.joinable()) panel_.join();
    stop_ = true;
    reader_.join();
    ::close(slave_);
    ::close(master_);
  }

  void Press(const std::string& keys) {
    (void)!::write(master_, keys.data(), keys.size());
    std::this_thread::sleep_for(80ms);  // lets a lone Escape stand as a key
  }

  // Waits until `text` shows after what was seen before; true when it did.
  bool WaitFor(const std::string& text, std::chrono::milliseconds limit = 10s) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      {
        std::lock_guard lock(mutex_);
        size_t at = output_.find(text, seen_);
        if (at != std::string::npos) {
          seen_ = at + text.size();
          return true;
        }
      }
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  int Finish() {
    panel_.join();
    return result_;
  }

  std::string Output() {
    std::lock_guard lock(mutex_);
    return output_;
  }

 private:
  void Read() {
    char buffer[4096];
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) continue;
      std::lock_guard lock(mutex_);
      output_.append(buffer, static_cast<size_t>(n));
    }
  }

  int master_ = -1, slave_ = -1;
  std::thread reader_, panel_;
  std::mutex mutex_;
  std::string output_;
  size_t seen_ = 0;
  std::atomic<bool> stop_{false}, done_{false};
  int result_ = 0;
};

TEST(ControlPanelTerminal, InstallsWithEveryStageShownThenOpensTheAboutBoxAndCloses) {
  REQUIRE_PSEUDO_TERMINAL();
  test::PrinterEnvironment env;
  PanelOnTerminal panel;
  ASSERT_TRUE(panel.WaitFor("虚拟打印机控制台"));
  ASSERT_TRUE(panel.WaitFor("安装打印机"));
  panel.Press("\t\r");  // from the Close button to the install button
  for (const char* status : {" 准备打印机安装工作...", " 装载打印机驱动程序...", " 建立打印机端口...",
                             " 增加打印机...", " 完成打印机安装...", " 100%", " 恭喜你,打印机安装成功。"})
    ASSERT_TRUE(panel.WaitFor(status)) << status;
  ASSERT_TRUE(panel.WaitFor("提示"));
  ASSERT_TRUE(panel.WaitFor("[Information]"));
  panel.Press("\r");
  EXPECT_TRUE(pf::PrinterExists("Velto Print"));

  panel.Press("\x1b[21~");
  ASSERT_TRUE(panel.WaitFor("关于 VeltoFaxTool(A)..."));
  panel.Press("a");
  ASSERT_TRUE(panel.WaitFor("VeltoFaxTool 1.0 版"));
  panel.Press("\r");
  panel.Press("\x1b");
  EXPECT_EQ(panel.Finish(), pf::IDCANCEL);
}

TEST(ControlPanelTerminal, TestButtonWithoutPrinterAndUninstallWithoutPrinterSayWhy) {
  REQUIRE_PSEUDO_TERMINAL();
  test::PrinterEnvironment env;
  PanelOnTerminal panel;
  ASSERT_TRUE(panel.WaitFor("测试打印机"));
  panel.Press("\t\t\t\r");
  ASSERT_TRUE(panel.WaitFor(" 打印机未安装"));
  panel.Press("\x1b[A\r");  // up to the uninstall button
  ASSERT_TRUE(panel.WaitFor("[Error]"));
  ASSERT_TRUE(panel.WaitFor("打印机名无效。"));
  panel.Press("\r");
  ASSERT_TRUE(panel.WaitFor(" 打开打印机失败，放弃卸载打印机任务。"));
  ASSERT_TRUE(panel.WaitFor(" 100%"));
  panel.Press("\x1b[21~n");  // minimise: only the icon shows
  ASSERT_TRUE(panel.WaitFor("┌VF┐"));
  ASSERT_TRUE(panel.WaitFor("按任意键还原"));
  panel.Press(" ");
  ASSERT_TRUE(panel.WaitFor("关闭"));
}

TEST(ControlPanelTerminal, ALinkThatCannotBeOpenedRingsTheBell) {
  REQUIRE_PSEUDO_TERMINAL();
  test::PrinterEnvironment env;
  pf::RecordingShell shell;
  shell.openResult = 2;
  pf::ScopedShell scoped(shell);
  PanelOnTerminal panel;
  ASSERT_TRUE(panel.WaitFor("velto@example.org"));
  panel.Press("\x1b[Z\r");  // back from the Close button to the mail link
  ASSERT_TRUE(panel.WaitFor("\a"));
  panel.Press("\x1b[21~c");  // the system menu's Close
  EXPECT_EQ(panel.Finish(), pf::IDCANCEL);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].file, "mailto: velto@example.org");
}

// A dialog whose button asks a Yes/No question and keeps the answers.
class QuestionDialog : public pf::TerminalDialog {
 public:
  QuestionDialog() : TerminalDialog("问题", 160, 40, false) {
    pf::DialogControl ask;
    ask.id = 1000;
    ask.kind = pf::ControlKind::PushButton;
    ask.rect = {8, 8, 60, 14};
    ask.text = "提问";
    AddControl(ask);
  }
  void OnCommand(int id) override {
    if (id == 1000) answers.push_back(MessageBox("继续吗？", "另存为", pf::MB_YESNO | pf::MB_ICONEXCLAMATION));
    else TerminalDialog::OnCommand(id);
  }
  std::vector<int> answers;
};

TEST(ControlPanelTerminal, YesNoBoxesAnswerByLetterOrButtonAndIgnoreEscape) {
  REQUIRE_PSEUDO_TERMINAL();
  QuestionDialog dialog;
  PanelOnTerminal terminal([&](pf::TerminalIo& io) { return dialog.RunModal(io); });
  ASSERT_TRUE(terminal.WaitFor("提问"));
  terminal.Press("\r");
  ASSERT_TRUE(terminal.WaitFor("[Warning]"));
  terminal.Press("\x1b");  // no cancel on a Yes/No box
  terminal.Press("y");
  terminal.Press("\r");
  ASSERT_TRUE(terminal.WaitFor("否(N)"));
  terminal.Press("\t\r");  // Tab moves to No
  terminal.Press("\r");
  ASSERT_TRUE(terminal.WaitFor("否(N)"));
  terminal.Press("n");
  terminal.Press("\x1b");
  EXPECT_EQ(terminal.Finish(), pf::IDCANCEL);
  EXPECT_EQ(dialog.answers, (std::vector<int>{pf::IDYES, pf::IDNO, pf::IDNO}));
}

TEST(ControlPanelTerminal, WithoutATerminalSaysSoAndDoesNotStart) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::setsid();  // no controlling terminal any more
    ::dup2(pipeEnds[1], 2);
    ::_exit(RunControlPanel() == -1 ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  std::string said;
  char buffer[256];
  for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<size_t>(n));
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(said.find("terminal"), std::string::npos);
}

}  // namespace
}  // namespace velto
