#include <gtest/gtest.h>

#include "installer/server_decision.h"
#include "unit/installer/recording_ui.h"

namespace ov {
namespace {

const std::string kTitle = "Demonstrativo \r\nOvilar - Conserto";

const std::string kTextA =
    "Existe o Firebird 1_5 instalado. Para utilizar o sistema Demonstrativo \r\nOvilar - Conserto "
    "\u00e9 necess\u00e1rio "
    "ter o Firebird 2.1 ou superior instalado. Deseja remover a vers\u00e3o 1_5.";
const std::string kTextB =
    "############# ATEN\u00c7\u00c3O ##################\r\nComo existe o Firebird 1_5 instalado "
    "por outro software, "
    "pode ocorrer instabilidade na utiliza\u00e7\u00e3o deste outro software. O sistema "
    "Demonstrativo \r\nOvilar - "
    "Conserto funcionar\u00e1 corretamente. Deseja continuar com a instala\u00e7\u00e3o?";
const std::string kTextC =
    "Existe o Firebird 2_5 instalado. Para melhorar a performace do sistema utilizamos, o Firebird "
    "3.0, mas o "
    "sistema tamb\u00e9m funciona na vers\u00e3o 2_5.\r\nClique em (SIM) para remover a "
    "vers\u00e3o 2_5 e instalar a "
    "vers\u00e3o 3.0 \r\nou \r\nClique em (N\u00c3O) para continuar com a vers\u00e3o 2_5.";
const std::string kTextDEmptyTag =
    "############# ATEN\u00c7\u00c3O ##################\r\nJ\u00e1 existe uma vers\u00e3o de "
    "Firebird  instalado por "
    "outro software.  CASO QUEIRA AJUDA, NOSSO SUPORTE TER\u00c1 O PRAZER EM AUXILIZAR, para isto "
    "entre em contato "
    "pelo WhatsApp, fone ou e-mail.\r\n Se avan\u00e7ar o sistema Demonstrativo \r\nOvilar - "
    "Conserto ser\u00e1 "
    "instalado sem instala\u00e7\u00e3o de Firebird. Deseja continuar com a instala\u00e7\u00e3o? ";

TEST(DecisionMessages, TextsCaptionsAndIconsAreExact) {
  const DecisionQuestion a = QuestionOlderServer("1_5", kTitle);
  EXPECT_EQ(a.Caption, "Firebird com vers\u00e3o inferior");
  EXPECT_EQ(a.Text, kTextA);
  EXPECT_EQ(a.Icon, MessageIcon::Question);
  const DecisionQuestion b = QuestionOtherSoftware("1_5", kTitle);
  EXPECT_EQ(b.Caption, "ATEN\u00c7\u00c3O");
  EXPECT_EQ(b.Text, kTextB);
  EXPECT_EQ(b.Icon, MessageIcon::Exclamation);
  const DecisionQuestion c = QuestionBelow30("2_5", kTitle);
  EXPECT_EQ(c.Caption, "Firebird inferior a 3.0");
  EXPECT_EQ(c.Text, kTextC);
  EXPECT_EQ(c.Icon, MessageIcon::Question);
  const DecisionQuestion d = QuestionUnknownServer("", kTitle);
  EXPECT_EQ(d.Caption, "ATEN\u00c7\u00c3O");
  EXPECT_EQ(d.Text, kTextDEmptyTag);
  EXPECT_EQ(d.Icon, MessageIcon::Exclamation);
  EXPECT_EQ(std::string("############# ATEN\u00c7\u00c3O ##################").find(" ATEN"), 13u);
}

struct Row {
  bool Present;
  const char* Tag;
  std::vector<bool> Answers;
  std::vector<std::string> Asked;  // captions in order
  std::optional<InstallRequest> Expected;
};

TEST(DecisionTable, EveryRow) {
  const std::string A = "Firebird com vers\u00e3o inferior", B = "ATEN\u00c7\u00c3O",
                    C = "Firebird inferior a 3.0", D = "ATEN\u00c7\u00c3O";
  const std::vector<Row> rows = {
      {false, "", {}, {}, InstallRequest{false, true, "3.0"}},
      {true, "1_5", {true, true}, {A, B}, InstallRequest{true, true, "3.0"}},
      {true, "2_0", {true, true}, {A, B}, InstallRequest{true, true, "3.0"}},
      {true, "1_5", {false}, {A}, std::nullopt},
      {true, "2_0", {true, false}, {A, B}, std::nullopt},
      {true, "2_1", {true, true}, {C, B}, InstallRequest{true, true, "3.0"}},
      {true, "2_5", {true, false}, {C, B}, std::nullopt},
      {true, "2_5", {false}, {C}, InstallRequest{false, false, "2.1"}},
      {true, "2_1", {false}, {C}, InstallRequest{false, false, "2.1"}},
      {true, "3_0", {}, {}, InstallRequest{false, false, "3.0"}},
      {true, "cFb", {}, {}, InstallRequest{false, false, "3.0"}},
      {true,
       "CFB",
       {true},
       {D},
       InstallRequest{false, false, "3.0"}},  // tags compare case-sensitively
      {true, "", {true}, {D}, InstallRequest{false, false, "3.0"}},
      {true, "9_9", {false}, {D}, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.Present ? "present " : "absent ") + row.Tag);
    test::RecordingUi ui;
    ui.Answers.assign(row.Answers.begin(), row.Answers.end());
    EXPECT_EQ(DecideInstallRequest(row.Present, row.Tag, kTitle, ui), row.Expected);
    std::vector<std::string> asked;
    for (const auto& q : ui.Questions) asked.push_back(q.Caption);
    EXPECT_EQ(asked, row.Asked);
    EXPECT_TRUE(ui.Answers.empty());
  }
}

TEST(DecisionTable, MessageTextsCarryTheTagAndTheTitleWithItsLineBreak) {
  test::RecordingUi ui;
  ui.Answers = {true, true};
  DecideInstallRequest(true, "1_5", kTitle, ui);
  ASSERT_EQ(ui.Questions.size(), 2u);
  EXPECT_EQ(ui.Questions[0].Text, kTextA);
  EXPECT_EQ(ui.Questions[1].Text, kTextB);
}

}  // namespace
}  // namespace ov
