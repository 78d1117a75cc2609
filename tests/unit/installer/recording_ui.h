#pragma once
// A window stand-in that records what the workflow shows and answers questions from a script.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "installer/installer_ui.h"

namespace ov::test {

class RecordingUi : public InstallerUi {
 public:
  struct Question {
    std::string Caption, Text;
    MessageIcon Icon;
  };
  void StartLog() override { Events.push_back("start-log"); }
  void AddLog(const std::string& line) override {
    Log.push_back(line);
    Events.push_back("log:" + line);
  }
  void ShowInformation(const std::string& text) override {
    Information.push_back(text);
    Events.push_back("info:" + text);
  }
  bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) override {
    Questions.push_back({caption, text, icon});
    Events.push_back("ask:" + caption);
    if (Answers.empty()) return false;
    const bool yes = Answers.front();
    Answers.pop_front();
    return yes;
  }
  void ShowError(const std::string& text) override {
    Errors.push_back(text);
    Events.push_back("error");
  }
  void ProcessMessages() override {
    ++Pumps;
    if (OnPump) OnPump();
  }
  void EndApplication() override {
    ++EndRequests;
    Events.push_back("end");
  }

  std::deque<bool> Answers;
  std::vector<std::string> Events, Log, Information, Errors;
  std::vector<Question> Questions;
  int Pumps = 0;
  int EndRequests = 0;
  std::function<void()> OnPump;  // a click arriving while messages are processed
};

}  // namespace ov::test
