#include "installer/installation_workflow.h"

#include "installer/batch_script.h"
#include "installer/desktop_integration.h"
#include "installer/server_decision.h"
#include "installer/server_detection.h"

namespace ov {
namespace {

const std::string kAdminReminder =
    "N\u00c3O ESQUE\u00c7A DE EXECUTAR ESTE INSTALADOR COM PERMISS\u00c3O DE ADMINISTRADOR";
const std::string kSuccess = "Instala\u00e7\u00e3o concluida com sucesso.";
const std::string kCancelled = "Instala\u00e7\u00e3o interrompida a pedido do usu\u00e1rio.";

// A step that failed: its log line says what and which file.
struct StepFailure {
  std::string What;
};
// The user asked to stop; raised at the next step boundary.
struct CancelledRun {};

std::string ErrorBoxText(const std::string& what) {
  return "A instala\u00e7\u00e3o n\u00e3o foi conclu\u00edda.\r\n\r\n" + what +
         "\r\n\r\nExecute o instalador novamente: a instala\u00e7\u00e3o continua de onde parou.";
}

}  // namespace

class InstallationWorkflow::Steps {
 public:
  Steps(InstallationWorkflow& w, const InstallRequest& request)
      : w_(w),
        request_(request),
        ip_(w.context_.InstallPath),
        base_(w.context_.BaseUrl),
        sub_(w.context_.Profile.DownloadSubfolder),
        database_(ip_ + w.context_.Profile.DatabaseFile) {}

  void Run() {
    database_existed_ = files().FileExists(database_);
    CreateInstallFolder();
    if (request_.UninstallOld) UninstallOldServer();
    if (request_.InstallServer) InstallServer();
    Begin("Fazendo download do arquivo RAR.exe");
    DownloadFile(base_ + "RAR.exe", ip_, "RAR.exe");
    Begin("Fazendo download do sistema");
    DownloadAndExtract(base_ + sub_ + "executavel.rar", "executavel.rar");
    RequireFile(ip_ + w_.context_.Profile.MainExecutable, "executavel.rar");
    Begin("Fazendo download do Arquivos.rar");
    DownloadAndExtract(base_ + "arquivos.rar", "arquivos.rar");
    if (request_.DatabasePack == "2.1")
      FetchDatabasePack("Fazendo download do banco 2.1", "Banco21.rar");
    if (request_.DatabasePack == "3.0")
      FetchDatabasePack("Fazendo download do banco 3.0", "Banco30.rar");
    Configure();
    Begin("Registrando DLLs");
    RunAndWait(ip_ + "instala.bat");
    CreateShortcuts();
    Begin("Adicionando permiss\u00e3o do Firewall");
    const int code = WindowsVersionCode(w_.platform_.System.Version());
    const std::string error =
        AddFirewallPort(w_.platform_.FirewallRules, w_.platform_.Shell, "Firebird", 3050, code);
    if (!error.empty()) throw StepFailure{"Falha ao liberar a porta 3050 no Firewall: " + error};
  }

 private:
  FileSystem& files() { return w_.platform_.Files; }

  void CheckCancel() {
    if (w_.cancel_requested_) throw CancelledRun{};
  }

  // Every step starts with its log line, unless the user asked to stop after the previous one.
  void Begin(const std::string& log_line) {
    CheckCancel();
    w_.ui_.AddLog(log_line);
  }

  void CreateInstallFolder() {
    Begin("Criando pasta de instala\u00e7\u00e3o");
    if (!files().DirectoryExists(ip_) && !files().CreateDirectories(ip_)) {
      throw StepFailure{"N\u00e3o foi poss\u00edvel criar a pasta " + ip_ + "."};
    }
  }

  void UninstallOldServer() {
    Begin("Desinstalando Firebird Antigo");
    w_.ui_.AddLog("Desinstalando versao 1.5 ou 2.1");
    const std::string script = ip_ + "desinstalandobanco.bat";
    WriteOrFail(script, UninstallScript(FindUninstallString(w_.platform_.Registry, "Firebird")));
    RunAndWait(script);
  }

  void InstallServer() {
    const std::string setup = ip_ + "Programas\\Firebird3.0.exe";
    if (!files().FileExists(setup)) {
      Begin("Fazendo download Firebird 3.0");
      DownloadFile(base_ + "Firebird3.0.exe", ip_ + "Programas\\", "Firebird3.0.exe");
    }
    Begin("Instalando Firebird 3.0");
    const std::string script = ip_ + "instalandoversao.bat";
    WriteOrFail(script, ServerSetupScript(ip_, request_.DatabasePack));
    RunAndWait(script);
  }

  void FetchDatabasePack(const std::string& log_line, const std::string& archive) {
    Begin(log_line);
    DownloadAndExtract(base_ + sub_ + archive, archive);
    RequireFile(database_, archive);
    if (backup_made_) w_.ui_.AddLog("Banco de dados existente mantido: " + database_);
  }

  void Configure() {
    Begin("Configurando arquivo de configura\u00e7\u00e3o.");
    const std::string error =
        w_.platform_.Ini.WriteString(ip_ + "ConfRede.ini", "Acesso", "BancoDeDados", database_);
    if (!error.empty()) throw StepFailure{"Falha ao gravar a configura\u00e7\u00e3o: " + error};
  }

  void CreateShortcuts() {
    Begin("Criando atalhos");
    for (const std::string& name :
         {w_.context_.Profile.MainExecutable, std::string("teamviewer.exe")}) {
      const ShortcutResult result =
          CreateDesktopShortcut(w_.platform_.Shortcuts, w_.platform_.Registry, w_.platform_.System,
                                ip_ + name, "", ip_, name);
      if (result.State == ShortcutResult::Status::ObjectFailed) {
        throw StepFailure{"Falha ao criar o atalho " + name + ".lnk: " + result.Error};
      }
      if (result.State == ShortcutResult::Status::SaveFailed) {
        w_.ui_.AddLog("Aviso: o atalho " + name +
                      ".lnk n\u00e3o p\u00f4de ser gravado na \u00e1rea de trabalho.");
      }
    }
  }

  // One download; the final file must be there and no ".part" left, else the run stops.
  void DownloadFile(const std::string& url, const std::string& folder, const std::string& name) {
    if (!files().DirectoryExists(folder)) files().CreateDirectories(folder);
    w_.downloading_ = true;
    const std::string error = w_.downloader_.Download(url, folder, name);
    w_.downloading_ = false;
    if (w_.cancel_requested_) {
      w_.ui_.AddLog("Download de " + name +
                    " pausado; a pr\u00f3xima execu\u00e7\u00e3o continua de onde parou.");
      throw CancelledRun{};
    }
    if (!error.empty()) throw StepFailure{"Falha no download de " + url + ": " + error};
    const std::string path = folder + name;
    if (!files().FileExists(path) || files().FileExists(path + ".part")) {
      throw StepFailure{"Falha no download de " + url + ": o arquivo " + path +
                        " n\u00e3o foi recebido por completo."};
    }
  }

  void DownloadAndExtract(const std::string& url, const std::string& archive) {
    DownloadFile(url, ip_, archive);
    ExtractArchive(ip_ + archive);
  }

  void ExtractArchive(const std::string& archive_path) {
    if (!files().FileExists(ip_ + "RAR.exe")) DownloadFile(base_ + "RAR.exe", ip_, "RAR.exe");
    BackUpDatabase();
    const std::string script = ip_ + "desc.bat";
    WriteOrFail(script, ExtractionScript(ip_, archive_path));
    RunAndWait(script);
    if (files().FileExists(script)) files().RemoveFile(script);
    RestoreDatabase();
  }

  // A rerun must not let an archive's empty database replace the customer's one.
  void BackUpDatabase() {
    if (!database_existed_ || backup_made_) return;
    backup_ = database_ + "." + files().TimestampText() + ".bak";
    if (!files().DuplicateFile(database_, backup_, false)) {
      throw StepFailure{"N\u00e3o foi poss\u00edvel copiar o banco de dados " + database_ +
                        " para " + backup_ + "."};
    }
    backup_made_ = true;
    w_.ui_.AddLog("C\u00f3pia de seguran\u00e7a do banco de dados: " + backup_);
  }

  void RestoreDatabase() {
    if (backup_made_ && !files().DuplicateFile(backup_, database_, true)) {
      throw StepFailure{"N\u00e3o foi poss\u00edvel restaurar o banco de dados " + database_ +
                        "; a c\u00f3pia de seguran\u00e7a est\u00e1 em " + backup_ + "."};
    }
  }

  void RequireFile(const std::string& path, const std::string& archive) {
    if (!files().FileExists(path)) {
      throw StepFailure{"O arquivo " + path + " n\u00e3o foi encontrado ap\u00f3s descompactar " +
                        archive + "."};
    }
  }

  void WriteOrFail(const std::string& path, const std::vector<std::string>& lines) {
    const int code = WriteScript(files(), path, lines);
    if (code != 0)
      throw StepFailure{"Falha ao gravar o arquivo " + path + ": " + IoErrorText(code)};
  }

  void RunAndWait(const std::string& path) {
    const auto pump = [this] { w_.ui_.ProcessMessages(); };
    if (!w_.platform_.Shell.RunAndWait(path, ip_, pump))
      w_.ui_.AddLog("N\u00e3o foi poss\u00edvel executar " + path);
  }

  InstallationWorkflow& w_;
  const InstallRequest& request_;
  const std::string ip_, base_, sub_, database_;
  bool database_existed_ = false;
  bool backup_made_ = false;
  std::string backup_;
};

InstallationWorkflow::InstallationWorkflow(const InstallContext& context, PlatformServices platform,
                                           InstallerUi& ui, FileDownloader& downloader)
    : context_(context), platform_(platform), ui_(ui), downloader_(downloader) {}

namespace {

// Marks the workflow busy for the duration of one click, whatever way it leaves.
class BusyScope {
 public:
  BusyScope(bool& running, bool& cancel) : running_(running) {
    running_ = true;
    cancel = false;
  }
  ~BusyScope() { running_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& running_;
};

}  // namespace

InstallOutcome InstallationWorkflow::BtnInstalarClick() {
  if (running_) return InstallOutcome::AlreadyRunning;
  InstallOutcome outcome;
  {
    BusyScope busy(running_, cancel_requested_);
    outcome = DecideAndInstall();
  }
  return Finish(outcome);
}

InstallOutcome InstallationWorkflow::RunInstallation(const InstallRequest& request) {
  if (running_) return InstallOutcome::AlreadyRunning;
  InstallOutcome outcome;
  {
    BusyScope busy(running_, cancel_requested_);
    outcome = Execute(request);
  }
  return Finish(outcome);
}

bool InstallationWorkflow::RequestCancel() {
  if (!running_) return true;
  cancel_requested_ = true;
  if (downloading_) downloader_.Pause();
  return false;
}

InstallOutcome InstallationWorkflow::DecideAndInstall() {
  ui_.ShowInformation(kAdminReminder);
  ui_.StartLog();
  ui_.AddLog("Aten\u00e7\u00e3o!!!");
  ui_.AddLog(kAdminReminder);
  const bool present = FirebirdServicePresent(platform_.Services);
  const std::string tag = present ? FirebirdVersionTag(platform_.Registry) : std::string();
  const auto request = DecideInstallRequest(present, tag, context_.Profile.Title, ui_);
  if (!request) return InstallOutcome::Declined;
  if (cancel_requested_) return InstallOutcome::Cancelled;
  return Execute(*request);
}

InstallOutcome InstallationWorkflow::Execute(const InstallRequest& request) {
  try {
    Steps(*this, request).Run();
  } catch (const StepFailure& failure) {
    ui_.AddLog(failure.What);
    ui_.ShowError(ErrorBoxText(failure.What));
    return InstallOutcome::Failed;
  } catch (const CancelledRun&) {
    ui_.AddLog(kCancelled);
    return InstallOutcome::Cancelled;
  }
  ui_.AddLog(kSuccess);
  ui_.ShowInformation(kSuccess);
  return InstallOutcome::Completed;
}

// Ends the application from the top of the click, after the run has fully unwound.
InstallOutcome InstallationWorkflow::Finish(InstallOutcome outcome) {
  if (outcome == InstallOutcome::Completed || cancel_requested_) ui_.EndApplication();
  return outcome;
}

}  // namespace ov
