#pragma once
// A dialog host for tests: answers from a script and records what was asked.

#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace velto::platform {

class ScriptedDialogHost : public DialogHost {
 public:
  struct Message {
    std::string text;
    std::string caption;
    unsigned style = 0;
  };

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    messages.push_back({text, caption, style});
    if (messageAnswers.empty()) return (style & 0xF) == MB_YESNO ? IDNO : IDOK;
    int answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
  }

  SaveDialogResult SaveDialog(const SaveDialogRequest& request) override {
    saveRequests.push_back(request);
    if (saveAnswers.empty()) return {};  // cancelled
    SaveDialogResult answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
  }

  // Queues an OK answer choosing `path` with the type `typeText`.
  void ChooseFile(const std::string& path, const std::string& typeText = "BMP  files (*.bmp)") {
    saveAnswers.push_back({true, path, typeText});
  }
  void Cancel() { saveAnswers.push_back({}); }

  std::deque<int> messageAnswers;             // empty: No for questions, OK otherwise
  std::deque<SaveDialogResult> saveAnswers;   // empty: the dialog is cancelled
  std::vector<Message> messages;
  std::vector<SaveDialogRequest> saveRequests;
};

}  // namespace velto::platform
