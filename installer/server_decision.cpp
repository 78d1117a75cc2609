#include "installer/server_decision.h"

namespace ov {
namespace {

const std::string kAttentionBanner = "############# ATEN\u00c7\u00c3O ##################";

bool IsOneOf(const std::string& tag, const char* a, const char* b) { return tag == a || tag == b; }

}  // namespace

DecisionQuestion QuestionOlderServer(const std::string& tag, const std::string& title) {
  return {"Firebird com vers\u00e3o inferior",
          "Existe o Firebird " + tag + " instalado. Para utilizar o sistema " + title +
              " \u00e9 necess\u00e1rio " +
              "ter o Firebird 2.1 ou superior instalado. Deseja remover a vers\u00e3o " + tag + ".",
          MessageIcon::Question};
}

DecisionQuestion QuestionOtherSoftware(const std::string& tag, const std::string& title) {
  return {"ATEN\u00c7\u00c3O",
          kAttentionBanner + "\r\nComo existe o Firebird " + tag +
              " instalado por outro software, pode ocorrer instabilidade na " +
              "utiliza\u00e7\u00e3o deste outro software. O sistema " + title +
              " funcionar\u00e1 corretamente. " + "Deseja continuar com a instala\u00e7\u00e3o?",
          MessageIcon::Exclamation};
}

DecisionQuestion QuestionBelow30(const std::string& tag, const std::string& /*title*/) {
  return {"Firebird inferior a 3.0",
          "Existe o Firebird " + tag +
              " instalado. Para melhorar a performace do sistema utilizamos, o Firebird 3.0, " +
              "mas o sistema tamb\u00e9m funciona na vers\u00e3o " + tag +
              ".\r\nClique em (SIM) para remover a vers\u00e3o " + tag +
              " e instalar a vers\u00e3o 3.0 \r\nou \r\nClique em (N\u00c3O) para continuar com a "
              "vers\u00e3o " +
              tag + ".",
          MessageIcon::Question};
}

DecisionQuestion QuestionUnknownServer(const std::string& tag, const std::string& title) {
  return {"ATEN\u00c7\u00c3O",
          kAttentionBanner + "\r\nJ\u00e1 existe uma vers\u00e3o de Firebird " + tag +
              " instalado por outro software. " +
              " CASO QUEIRA AJUDA, NOSSO SUPORTE TER\u00c1 O PRAZER EM AUXILIZAR, para isto entre "
              "em contato pelo "
              "WhatsApp, fone ou e-mail.\r\n Se avan\u00e7ar o sistema " +
              title + " ser\u00e1 instalado sem instala\u00e7\u00e3o de Firebird. " +
              "Deseja continuar com a instala\u00e7\u00e3o? ",
          MessageIcon::Exclamation};
}

std::optional<InstallRequest> DecideInstallRequest(bool server_present, const std::string& tag,
                                                   const std::string& title, InstallerUi& ui) {
  const auto ask = [&ui](const DecisionQuestion& q) {
    return ui.AskYesNo(q.Caption, q.Text, q.Icon);
  };
  if (!server_present) return InstallRequest{false, true, "3.0"};
  if (IsOneOf(tag, "1_5", "2_0")) {
    if (ask(QuestionOlderServer(tag, title)) && ask(QuestionOtherSoftware(tag, title))) {
      return InstallRequest{true, true, "3.0"};
    }
    return std::nullopt;
  }
  if (IsOneOf(tag, "2_1", "2_5")) {
    if (!ask(QuestionBelow30(tag, title))) return InstallRequest{false, false, "2.1"};
    if (ask(QuestionOtherSoftware(tag, title))) return InstallRequest{true, true, "3.0"};
    return std::nullopt;
  }
  if (IsOneOf(tag, "3_0", "cFb")) return InstallRequest{false, false, "3.0"};
  if (ask(QuestionUnknownServer(tag, title))) return InstallRequest{false, false, "3.0"};
  return std::nullopt;
}

}  // namespace ov
