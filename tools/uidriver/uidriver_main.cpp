// uidriver: runs its command-line verbs in order against the installer's window and prints
// what it saw, one line per verb (UTF-8). Exit code 0 when every verb succeeded, 1 at the first
// that failed (the reason is printed), 2 for a bad command line. Verbs:
//   window <class> <caption> <seconds>   wait for the window
//   click <control id>                   post a click (push button or radio item)
//   box <seconds> ok|yes|no|none <text>  wait for a message box, print it, check that its text
//                                        contains <text> ("-": any text), press the button
//                                        (none: leave the box open)
//   waitlog <control id> <seconds> <text>  wait until the control's text contains <text>
//   text <control id>                    print the control's text (status bar: its panel)
//   gone <seconds>                       wait until the window no longer exists
//   sleep <milliseconds>
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/uidriver/ui_session.h"

namespace {

using ov::uidriver::UiSession;

DWORD Seconds(const std::string& text) { return static_cast<DWORD>(std::atof(text.c_str()) * 1000); }

void Say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

bool Fail(const std::string& why) {
  Say("FAILED: " + why);
  return false;
}

bool AnswerBox(const UiSession& ui, const std::vector<std::string>& a, std::size_t& i) {
  const DWORD timeout = Seconds(a.at(i + 1));
  const std::string answer = a.at(i + 2);
  const std::string wanted = a.at(i + 3) == "-" ? "" : a.at(i + 3);
  i += 3;
  const auto box = ui.WaitMessageBox(timeout);
  if (!box) return Fail("no message box within " + a.at(i - 2) + " s");
  Say("box: [" + box->Caption + "] " + box->Text);
  if (!wanted.empty() && box->Text.find(wanted) == std::string::npos)
    return Fail("box text lacks \"" + wanted + "\"");
  if (answer == "none") return true;  // left open, e.g. for a screenshot
  const int id = answer == "yes" ? IDYES : answer == "no" ? IDNO : IDOK;
  if (!UiSession::Press(*box, id)) return Fail("box has no " + answer + " button");
  // The next box must not be this one still closing.
  for (int waited = 0; IsWindow(box->Dialog) && IsWindowVisible(box->Dialog); waited += 50) {
    if (waited >= 10000) return Fail("the box stayed open after " + answer);
    Sleep(50);
  }
  Say("pressed: " + answer);
  return true;
}

bool WaitLog(const UiSession& ui, int id, DWORD timeout, const std::string& wanted) {
  const DWORD start = GetTickCount();
  std::string text;
  do {
    text = ui.ControlText(id).value_or("");
    if (text.find(wanted) != std::string::npos) {
      Say("log has: " + wanted);
      return true;
    }
    Sleep(200);
  } while (GetTickCount() - start < timeout);
  return Fail("log lacks \"" + wanted + "\"; it reads:\n" + text);
}

bool RunVerb(UiSession& ui, const std::vector<std::string>& a, std::size_t& i) {
  const std::string& verb = a[i];
  if (verb == "window") {
    const bool ok = ui.WaitWindow(a.at(i + 1), a.at(i + 2), Seconds(a.at(i + 3)));
    i += 3;
    if (!ok) return Fail("no window \"" + a[i - 1] + "\"");
    Say("window: " + a[i - 1]);
    return true;
  }
  if (!ui.Found()) return Fail(verb + " before a window was found");
  if (verb == "click") {
    const int id = std::atoi(a.at(++i).c_str());
    if (!ui.Click(id)) return Fail("no control " + a[i]);
    Say("clicked: " + a[i]);
    return true;
  }
  if (verb == "box") return AnswerBox(ui, a, i);
  if (verb == "waitlog") {
    i += 3;
    return WaitLog(ui, std::atoi(a.at(i - 2).c_str()), Seconds(a.at(i - 1)), a.at(i));
  }
  if (verb == "text") {
    const auto text = ui.ControlText(std::atoi(a.at(++i).c_str()));
    if (!text) return Fail("no control " + a[i]);
    Say("text " + a[i] + ": " + *text);
    return true;
  }
  if (verb == "gone") {
    if (!ui.WaitGone(Seconds(a.at(++i)))) return Fail("the window is still there");
    Say("gone");
    return true;
  }
  if (verb == "sleep") {
    Sleep(static_cast<DWORD>(std::atoi(a.at(++i).c_str())));
    return true;
  }
  return Fail("unknown verb " + verb);
}

std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; argv && i < count; ++i) args.push_back(ov::uidriver::Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

}  // namespace

int main() {
  const std::vector<std::string> args = Arguments();
  UiSession ui;
  try {
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (!RunVerb(ui, args, i)) return 1;
    }
  } catch (const std::out_of_range&) {
    Say("usage: uidriver verb args... (see the source's header)");
    return 2;
  }
  return 0;
}
