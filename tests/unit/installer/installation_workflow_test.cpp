#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "installer/installation_workflow.h"
#include "support/fake_downloader.h"
#include "support/fake_platform.h"
#include "unit/installer/recording_ui.h"

namespace ov {
namespace {

const std::string kIp = "C:\\Ovilar_Conserto\\";
const std::string kBase = "http://srv.test/instalador/";
const std::string kDb = kIp + "DBOVILAR_KOVRA.FDB";
const std::string kReminder =
    "N\u00c3O ESQUE\u00c7A DE EXECUTAR ESTE INSTALADOR COM PERMISS\u00c3O DE ADMINISTRADOR";
const std::string kSuccess = "Instala\u00e7\u00e3o concluida com sucesso.";

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

bool AnyContains(const std::vector<std::string>& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

// One computer, window and download server for a run; the tests below use it directly, and the
// failure table makes a fresh one per case.
struct Installation {
  Installation() {
    for (const char* path :
         {"Firebird3.0.exe", "RAR.exe", "Ovilar.Conserto/executavel.rar", "arquivos.rar",
          "Ovilar.Conserto/Banco21.rar", "Ovilar.Conserto/Banco30.rar"}) {
      downloader.Served[kBase + path] = std::string("body of ") + path;
    }
    archives["executavel.rar"] = {{"Ovilar.exe", "program"}, {"instala.bat", "regsvr32 ..."}};
    archives["arquivos.rar"] = {{"teamviewer.exe", "tv"}};
    archives["Banco21.rar"] = {{"DBOVILAR_KOVRA.FDB", "empty 2.1 database"}};
    archives["Banco30.rar"] = {{"DBOVILAR_KOVRA.FDB", "empty 3.0 database"}};
    platform.Shell.OnRun = [this](const std::string& file) { RunProgram(file); };
  }

  // What RAR.exe does when desc.bat runs: unpack the archive named in the script's command line.
  void RunProgram(const std::string& file) {
    scripts_at_run.push_back(platform.Files.Content(file));
    if (file != kIp + "desc.bat") return;
    const std::string command = platform.Files.Content(file);
    const std::size_t open = command.find("x \"") + 3;
    const std::string archive_path = command.substr(open, command.find('"', open) - open);
    const std::string archive = archive_path.substr(archive_path.rfind('\\') + 1);
    if (!platform.Files.FileExists(kIp + "RAR.exe") || !platform.Files.FileExists(archive_path))
      return;
    for (const auto& [name, bytes] : archives[archive]) platform.Files.Put(kIp + name, bytes);
  }

  void ServiceAndUninstallEntry(const std::string& service, const std::string& uninstall) {
    platform.Services.Names = std::vector<std::string>{service};
    platform.Registry.AddUninstallEntry("FB", "Firebird Server", uninstall);
  }

  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (const auto& r : downloader.Requests) urls.push_back(r.Url.substr(kBase.size()));
    return urls;
  }

  std::vector<std::string> RunFiles() const {
    std::vector<std::string> files;
    for (const auto& r : platform.Shell.Runs) files.push_back(r.File.substr(kIp.size()));
    return files;
  }

  test::FakePlatform platform;
  test::FakeDownloader downloader{platform.Files};
  test::RecordingUi ui;
  InstallContext context = MakeInstallContext(3, kBase, platform.System);
  InstallationWorkflow workflow{context, platform.Bundle(), ui, downloader};
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> archives;
  std::vector<std::string> scripts_at_run;
};

class InstallationTest : public ::testing::Test, public Installation {};

TEST_F(InstallationTest, NoServerInstallsServerAndTheThreeZeroPack) {
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  EXPECT_EQ(ui.Log, (std::vector<std::string>{
                        "Aten\u00e7\u00e3o!!!", kReminder, "Criando pasta de instala\u00e7\u00e3o",
                        "Fazendo download Firebird 3.0", "Instalando Firebird 3.0",
                        "Fazendo download do arquivo RAR.exe", "Fazendo download do sistema",
                        "Fazendo download do Arquivos.rar", "Fazendo download do banco 3.0",
                        "Configurando arquivo de configura\u00e7\u00e3o.", "Registrando DLLs",
                        "Criando atalhos", "Adicionando permiss\u00e3o do Firewall", kSuccess}));
  EXPECT_TRUE(ui.Questions.empty());
  EXPECT_EQ(ui.Information, (std::vector<std::string>{kReminder, kSuccess}));
  EXPECT_EQ(ui.Events.front(), "info:" + kReminder);
  EXPECT_EQ(ui.Events[1], "start-log");
  EXPECT_EQ(ui.Events.back(), "end");
  EXPECT_EQ(ui.EndRequests, 1);
  EXPECT_TRUE(ui.Errors.empty());

  EXPECT_EQ(Urls(), (std::vector<std::string>{"Firebird3.0.exe", "RAR.exe",
                                              "Ovilar.Conserto/executavel.rar", "arquivos.rar",
                                              "Ovilar.Conserto/Banco30.rar"}));
  EXPECT_EQ(downloader.Requests[0].Folder, kIp + "Programas\\");
  EXPECT_EQ(downloader.Requests[1].Folder, kIp);
  EXPECT_EQ(RunFiles(), (std::vector<std::string>{"instalandoversao.bat", "desc.bat", "desc.bat",
                                                  "desc.bat", "instala.bat"}));
  for (const auto& run : platform.Shell.Runs)
    EXPECT_EQ(run.WorkingDir, kIp);  // scripts run in the install folder
  EXPECT_GE(ui.Pumps, 5);
  EXPECT_TRUE(platform.Files.FileExists(kIp + "instalandoversao.bat"));
  EXPECT_FALSE(platform.Files.FileExists(kIp + "desc.bat"));
  EXPECT_EQ(platform.Files.Content(kDb), "empty 3.0 database");
  EXPECT_EQ(scripts_at_run[3], "@echo Descompactando execut\xE1vel\r\n@echo off\r\n\"" + kIp +
                                   "RAR\" x \"" + kIp + "Banco30.rar\"  \"" + kIp +
                                   "\" /y\r\n@echo on\r\n");

  ASSERT_EQ(platform.Ini.Writes.size(), 1u);
  EXPECT_EQ(platform.Ini.Writes[0].File, kIp + "ConfRede.ini");
  EXPECT_EQ(platform.Ini.Writes[0].Section, "Acesso");
  EXPECT_EQ(platform.Ini.Writes[0].Key, "BancoDeDados");
  EXPECT_EQ(platform.Ini.Writes[0].Value, "C:\\Ovilar_Conserto\\DBOVILAR_KOVRA.FDB");

  ASSERT_EQ(platform.Shortcuts.Links.size(), 2u);
  EXPECT_EQ(platform.Shortcuts.Links[0].Path, "C:\\Users\\cliente\\Desktop\\Ovilar.exe.lnk");
  EXPECT_EQ(platform.Shortcuts.Links[0].Target, kIp + "Ovilar.exe");
  EXPECT_EQ(platform.Shortcuts.Links[0].WorkingDir, kIp);
  EXPECT_EQ(platform.Shortcuts.Links[1].Path, "C:\\Users\\cliente\\Desktop\\teamviewer.exe.lnk");
  EXPECT_EQ(platform.FirewallRules.Ports,
            (std::vector<std::pair<std::string, int>>{{"Firebird", 3050}}));
  EXPECT_TRUE(platform.Shell.Hidden.empty());
}

TEST_F(InstallationTest, OldServerOneFiveAnsweredYesYesUninstallsFirst) {
  ServiceAndUninstallEntry("FirebirdServerDefaultInstance",
                           "C:\\Program Files\\Firebird\\Firebird_1_5\\unins000.exe");
  ui.Answers = {true, true};
  platform.System.Os = {2, 6, 1};  // Windows 7: the firewall rule goes through netsh
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  EXPECT_EQ(ui.Log, (std::vector<std::string>{
                        "Aten\u00e7\u00e3o!!!", kReminder, "Criando pasta de instala\u00e7\u00e3o",
                        "Desinstalando Firebird Antigo", "Desinstalando versao 1.5 ou 2.1",
                        "Fazendo download Firebird 3.0", "Instalando Firebird 3.0",
                        "Fazendo download do arquivo RAR.exe", "Fazendo download do sistema",
                        "Fazendo download do Arquivos.rar", "Fazendo download do banco 3.0",
                        "Configurando arquivo de configura\u00e7\u00e3o.", "Registrando DLLs",
                        "Criando atalhos", "Adicionando permiss\u00e3o do Firewall", kSuccess}));
  EXPECT_EQ(RunFiles().front(), "desinstalandobanco.bat");
  EXPECT_EQ(
      platform.Files.Content(kIp + "desinstalandobanco.bat"),
      "@echo Desinstalando a versao antiga\r\n@echo off\r\n"
      "C:\\Program Files\\Firebird\\Firebird_1_5\\unins000.exe /SP /SILENT /CLEAN\r\n@echo on\r\n");
  EXPECT_EQ(platform.Files.Content(kIp + "instalandoversao.bat"),
            "@echo Instalando a versao 3.0\r\n@echo off\r\n\"" + kIp +
                "Programas\\Firebird3.0.exe\" /SP- /SILENT /MERGETASKS=\"CopyFbClientAsGds32Task\" "
                "/PASSWORD=pinebrook\r\n@echo on\r\n");
  EXPECT_TRUE(platform.FirewallRules.Ports.empty());
  ASSERT_EQ(platform.Shell.Hidden.size(), 1u);
  EXPECT_EQ(platform.Shell.Hidden[0].first, "netsh.exe");
}

TEST_F(InstallationTest, TwoFiveAnsweredNoKeepsTheServerAndFetchesTheTwoOnePack) {
  ServiceAndUninstallEntry("Firebird", "C:\\Firebird\\Firebird_2_5\\unins000.exe");
  ui.Answers = {false};
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  EXPECT_EQ(Urls(), (std::vector<std::string>{"RAR.exe", "Ovilar.Conserto/executavel.rar",
                                              "arquivos.rar", "Ovilar.Conserto/Banco21.rar"}));
  EXPECT_FALSE(AnyContains(ui.Log, "Desinstalando"));
  EXPECT_FALSE(AnyContains(ui.Log, "Instalando"));
  EXPECT_TRUE(Contains(ui.Log, "Fazendo download do banco 2.1"));
  EXPECT_FALSE(Contains(ui.Log, "Fazendo download do banco 3.0"));
  EXPECT_EQ(platform.Files.Content(kDb), "empty 2.1 database");
}

TEST_F(InstallationTest, ThreeZeroServerInstallsWithoutQuestionsOrServerSteps) {
  ServiceAndUninstallEntry("Firebird", "C:\\Program Files\\Firebird\\Firebird_3_0\\unins000.exe");
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  EXPECT_TRUE(ui.Questions.empty());
  EXPECT_EQ(RunFiles(),
            (std::vector<std::string>{"desc.bat", "desc.bat", "desc.bat", "instala.bat"}));
  EXPECT_TRUE(Contains(ui.Log, "Fazendo download do banco 3.0"));
}

TEST_F(InstallationTest, ServerSetupFromAnEarlierRunIsNotDownloadedAgain) {
  platform.Files.Put(kIp + "Programas\\Firebird3.0.exe", "setup");
  platform.Files.Put(kIp + "RAR.exe", "old rar");
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  EXPECT_FALSE(Contains(ui.Log, "Fazendo download Firebird 3.0"));
  EXPECT_TRUE(Contains(ui.Log, "Instalando Firebird 3.0"));
  EXPECT_EQ(Urls().front(), "RAR.exe");  // RAR.exe is fetched on every run
}

TEST_F(InstallationTest, DecliningLeavesTheComputerUnchangedAndAClickStartsOver) {
  ServiceAndUninstallEntry("Firebird", "C:\\Firebird\\Firebird_1_5\\unins000.exe");
  ui.Answers = {false};
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Declined);
  EXPECT_EQ(ui.Log, (std::vector<std::string>{"Aten\u00e7\u00e3o!!!", kReminder}));
  EXPECT_TRUE(platform.Files.Files.empty());
  EXPECT_TRUE(platform.Files.Folders.empty());
  EXPECT_EQ(ui.EndRequests, 0);
  EXPECT_FALSE(workflow.IsRunning());

  ui.Answers = {true, true};
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  EXPECT_EQ(ui.Information.size(), 3u);  // the reminder again, then success
}

// A failed step stops the run with a log line naming the file and an error box; never success.
TEST_F(InstallationTest, FailedStepsStopTheRunAndAreReported) {
  struct Case {
    const char* Name;
    std::function<void(Installation&)> Break;
    std::string LogPart;
  };
  const std::vector<Case> cases = {
      {"download cut off",
       [](Installation& t) { t.downloader.Served.erase(kBase + "arquivos.rar"); },
       "o arquivo " + kIp + "arquivos.rar n\u00e3o foi recebido por completo"},
      {"component error",
       [](Installation& t) { t.downloader.RaisedError = "Erro ao criar arquivo"; },
       "Falha no download de " + kBase + "Firebird3.0.exe: Erro ao criar arquivo"},
      {"no main program",
       [](Installation& t) {
         t.archives["executavel.rar"].erase(t.archives["executavel.rar"].begin());
       },
       "O arquivo " + kIp +
           "Ovilar.exe n\u00e3o foi encontrado ap\u00f3s descompactar executavel.rar."},
      {"no database", [](Installation& t) { t.archives["Banco30.rar"].clear(); },
       "O arquivo " + kDb + " n\u00e3o foi encontrado ap\u00f3s descompactar Banco30.rar."},
      {"script not writable",
       [](Installation& t) { t.platform.Files.WriteErrors[kIp + "desc.bat"] = 5; },
       "Falha ao gravar o arquivo " + kIp + "desc.bat: File access denied"},
      {"ini not writable",
       [](Installation& t) { t.platform.Ini.Error = "Unable to write to " + kIp + "ConfRede.ini"; },
       "Unable to write to " + kIp + "ConfRede.ini"},
      {"firewall refused",
       [](Installation& t) { t.platform.FirewallRules.Error = "Add: acesso negado"; },
       "Add: acesso negado"},
      {"shortcut object",
       [](Installation& t) {
         t.platform.Shortcuts.Result = {ShortcutResult::Status::ObjectFailed,
                                        "CoCreateInstance falhou"};
       },
       "Ovilar.exe.lnk: CoCreateInstance falhou"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Installation t;
    c.Break(t);
    EXPECT_EQ(t.workflow.BtnInstalarClick(), InstallOutcome::Failed);
    EXPECT_FALSE(Contains(t.ui.Log, kSuccess));
    EXPECT_TRUE(AnyContains(t.ui.Log, c.LogPart)) << t.ui.Log.back();
    ASSERT_EQ(t.ui.Errors.size(), 1u);
    EXPECT_NE(t.ui.Errors[0].find(c.LogPart), std::string::npos);
    EXPECT_NE(t.ui.Errors[0].find("Execute o instalador novamente"), std::string::npos);
    EXPECT_EQ(t.ui.EndRequests, 0);
    EXPECT_EQ(t.ui.Information.size(), 1u);  // only the reminder
    EXPECT_FALSE(t.workflow.IsRunning());
  }
}

TEST_F(InstallationTest, LaterStepsDoNotRunAfterAFailureAndARerunCompletes) {
  downloader.Served.erase(kBase + "Ovilar.Conserto/executavel.rar");
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Failed);
  EXPECT_EQ(ui.Log.back(), "Falha no download de " + kBase +
                               "Ovilar.Conserto/executavel.rar: o arquivo " + kIp +
                               "executavel.rar n\u00e3o foi recebido por completo.");
  EXPECT_TRUE(platform.Files.FileExists(kIp + "executavel.rar.part"));
  EXPECT_TRUE(platform.Ini.Writes.empty());
  EXPECT_TRUE(platform.Shortcuts.Links.empty());

  downloader.Served[kBase + "Ovilar.Conserto/executavel.rar"] = "body";
  downloader.Requests.clear();
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  EXPECT_EQ(Urls().front(), "RAR.exe");  // the server setup from the first run is kept
  EXPECT_EQ(ui.EndRequests, 1);
}

TEST_F(InstallationTest, RerunKeepsTheCustomersDatabaseAndABackup) {
  platform.Files.Put(kDb, "customer invoices");
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  const std::string backup = kDb + ".20261210-031500.bak";
  EXPECT_EQ(platform.Files.Content(kDb), "customer invoices");
  EXPECT_EQ(platform.Files.Content(backup), "customer invoices");
  EXPECT_TRUE(Contains(ui.Log, "C\u00f3pia de seguran\u00e7a do banco de dados: " + backup));
  EXPECT_TRUE(Contains(ui.Log, "Banco de dados existente mantido: " + kDb));
  EXPECT_TRUE(Contains(ui.Log, kSuccess));
}

TEST_F(InstallationTest, RerunStopsWhenTheBackupCannotBeMade) {
  platform.Files.Put(kDb, "customer invoices");
  platform.Files.UncopyablePaths.insert(kDb + ".20261210-031500.bak");
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Failed);
  EXPECT_EQ(platform.Files.Content(kDb), "customer invoices");
  EXPECT_TRUE(platform.Shell.Runs.size() == 1 &&
              RunFiles()[0] == "instalandoversao.bat");  // nothing unpacked
}

TEST_F(InstallationTest, FirstInstallationMakesNoBackup) {
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  EXPECT_FALSE(AnyContains(ui.Log, "C\u00f3pia de seguran\u00e7a"));
  EXPECT_FALSE(platform.Files.FileExists(kDb + ".20261210-031500.bak"));
}

TEST_F(InstallationTest, SecondInstalarDuringARunIsIgnored) {
  std::vector<InstallOutcome> nested;
  ui.OnPump = [&] { nested.push_back(workflow.BtnInstalarClick()); };
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  ASSERT_FALSE(nested.empty());
  for (InstallOutcome o : nested) EXPECT_EQ(o, InstallOutcome::AlreadyRunning);
  EXPECT_EQ(ui.Information.size(), 2u);
  EXPECT_EQ(std::count(ui.Log.begin(), ui.Log.end(), kReminder), 1);
}

TEST_F(InstallationTest, CancelDuringAScriptStopsAfterThatStepAndEndsAtTheTop) {
  bool running_at_end = true;
  ui.OnPump = [&] {
    if (platform.Shell.Runs.size() == 1) {
      EXPECT_FALSE(workflow.RequestCancel());
    }
  };
  int end_calls_inside = 0;
  platform.Shell.OnRun = [&](const std::string&) { end_calls_inside += ui.EndRequests; };
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Cancelled);
  running_at_end = workflow.IsRunning();
  EXPECT_FALSE(running_at_end);
  EXPECT_EQ(end_calls_inside, 0);
  EXPECT_EQ(ui.EndRequests, 1);
  EXPECT_EQ(ui.Log.back(), "Instala\u00e7\u00e3o interrompida a pedido do usu\u00e1rio.");
  EXPECT_EQ(ui.Log[ui.Log.size() - 2], "Instalando Firebird 3.0");  // the running step finished
  EXPECT_EQ(RunFiles(), std::vector<std::string>{"instalandoversao.bat"});
  EXPECT_FALSE(Contains(ui.Log, kSuccess));
}

TEST_F(InstallationTest, CancelDuringADownloadPausesItAndARerunResumes) {
  downloader.DuringTransfer = [&] {
    if (downloader.Requests.back().Name == "executavel.rar") {
      EXPECT_FALSE(workflow.RequestCancel());
    }
  };
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Cancelled);
  EXPECT_TRUE(platform.Files.FileExists(kIp + "executavel.rar.part"));
  EXPECT_FALSE(platform.Files.FileExists(kIp + "executavel.rar"));
  EXPECT_TRUE(AnyContains(ui.Log, "Download de executavel.rar pausado"));
  EXPECT_TRUE(ui.Errors.empty());
  EXPECT_EQ(ui.EndRequests, 1);

  downloader.DuringTransfer = nullptr;
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Completed);
  EXPECT_TRUE(platform.Files.FileExists(kIp + "executavel.rar"));
  EXPECT_FALSE(platform.Files.FileExists(kIp + "executavel.rar.part"));
}

TEST_F(InstallationTest, CancelWhenIdleEndsAtOnce) { EXPECT_TRUE(workflow.RequestCancel()); }

TEST_F(InstallationTest, UnstartableScriptIsLoggedAndMissingProgramStopsTheRun) {
  platform.Shell.Unstartable.insert(kIp + "desc.bat");
  EXPECT_EQ(workflow.BtnInstalarClick(), InstallOutcome::Failed);
  EXPECT_TRUE(Contains(ui.Log, "N\u00e3o foi poss\u00edvel executar " + kIp + "desc.bat"));
  EXPECT_TRUE(AnyContains(ui.Log, "Ovilar.exe n\u00e3o foi encontrado"));
}

}  // namespace
}  // namespace ov
