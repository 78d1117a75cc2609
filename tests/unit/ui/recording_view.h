// A view that records what the presenter made of the window, for the presenter's tests.
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/installer_view.h"

namespace ov::testing_ui {

struct Box {
  std::string kind;  // "info", "error" or "yesno"
  std::string caption;
  std::string text;
};

class RecordingView : public InstallerView {
 public:
  std::map<Control, bool> visible;
  std::map<Control, bool> enabled;
  std::map<Control, std::string> caption;
  std::map<Control, std::vector<std::string>> lines;
  std::map<Control, Rgb> colour;
  int progress_max = 100;
  int progress_position = 0;
  std::string status;
  std::vector<Box> boxes;
  std::vector<std::string> urls;
  int pumps = 0;
  int ends = 0;
  bool answer_yes = true;
  bool url_fails = false;
  std::function<void()> on_pump;  // what the user does while messages are pumped

  void SetVisible(Control c, bool v) override { visible[c] = v; }
  void SetEnabled(Control c, bool e) override { enabled[c] = e; }
  void SetCaption(Control c, const std::string& t) override {
    caption[c] = t;
    lines[c].clear();
  }
  void AppendLine(Control c, const std::string& line) override { lines[c].push_back(line); }
  void SetColour(Control c, Rgb rgb) override { colour[c] = rgb; }
  void SetProgressMax(int m) override { progress_max = m; }
  void SetProgressPosition(int p) override { progress_position = p; }
  void SetStatusText(const std::string& t) override { status = t; }
  void ShowInformation(const std::string& c, const std::string& t) override {
    boxes.push_back({"info", c, t});
  }
  bool AskYesNo(const std::string& c, const std::string& t, MessageIcon) override {
    boxes.push_back({"yesno", c, t});
    return answer_yes;
  }
  void ShowError(const std::string& c, const std::string& t) override {
    boxes.push_back({"error", c, t});
  }
  void ProcessMessages() override {
    ++pumps;
    if (on_pump) on_pump();
  }
  void EndApplication() override { ++ends; }
  void OpenUrl(const std::string& url) override {
    if (url_fails) throw std::runtime_error("no browser");
    urls.push_back(url);
  }
};

}  // namespace ov::testing_ui
