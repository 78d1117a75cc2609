#pragma once
// The Yes/No questions about an installed database server and the table that turns the answers
// into an InstallRequest.

#include <optional>
#include <string>

#include "installer/install_request.h"
#include "installer/installer_ui.h"

namespace ov {

// One of the decision's Yes/No boxes.
struct DecisionQuestion {
  std::string Caption;
  std::string Text;
  MessageIcon Icon = MessageIcon::Question;
};
DecisionQuestion QuestionOlderServer(const std::string& tag, const std::string& title);    // A
DecisionQuestion QuestionOtherSoftware(const std::string& tag, const std::string& title);  // B
DecisionQuestion QuestionBelow30(const std::string& tag, const std::string& title);        // C
DecisionQuestion QuestionUnknownServer(const std::string& tag, const std::string& title);  // D

// The decision table: asks the questions it needs through `ui` and returns the request, or
// nullopt when the user declined.
std::optional<InstallRequest> DecideInstallRequest(bool server_present, const std::string& tag,
                                                   const std::string& title, InstallerUi& ui);

}  // namespace ov
