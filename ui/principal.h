// The installer window's behaviour, independent of the windowing toolkit: start state per
// edition, licence acceptance, buttons, contact links, installation log and download progress.
// It drives an InstallerView and serves the installation workflow as its InstallerUi.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "installer/install_context.h"
#include "installer/installer_ui.h"
#include "net/block_socket_types.h"
#include "ui/downloader_state.h"
#include "ui/installer_view.h"
#include "ui/progress_format.h"

namespace ov {

// What the window needs from the workflow behind "Instalar" and "Cancelar".
struct InstallActions {
  // Runs one installation (decision and steps) and returns when it has ended.
  std::function<void()> Install;
  // Asked while an installation runs: pause a running download and stop after the running step.
  std::function<void()> RequestCancel;
};

struct PrincipalSettings {
  std::string ExecutablePath;   // gives the message boxes' caption
  NumberSeparators Separators;  // the locale's, read once at start
  std::string WhatsAppHost;     // click-to-chat host
  std::string VendorWhatsApp;   // international digits
  std::string VendorSite;       // web-site host name
  // Millisecond clock; pumps window messages from progress events at most every
  // kPumpIntervalMs. Empty: the steady clock.
  std::function<std::uint32_t()> Tick;
};

class TFPrincipal : public InstallerUi {
 public:
  static constexpr std::uint32_t kPumpIntervalMs = 250;

  TFPrincipal(InstallerView& view, PrincipalSettings settings);

  // Applies the edition to the window: licence box, panel colour, title, "Instalar" disabled.
  void FormCreate(const InstallContext& context);
  const InstallContext& Context() const { return context_; }

  void SetInstallActions(InstallActions actions) { actions_ = std::move(actions); }
  // Reads the download component's status (stStop/stPause decide what a socket close shows).
  void SetDownloaderStatusQuery(std::function<DownloaderState()> query) {
    download_status_ = std::move(query);
  }

  // "Instalar" is enabled exactly when "Aceito" (index 1) is selected.
  void RGAceiteClick(int selected_index);
  // Ends the application; during an installation the end waits until the running step is over.
  void BtnCancelarClick();
  // The window's close box: the same as "Cancelar".
  void FormClose() { BtnCancelarClick(); }
  // Runs one installation; ignored while one already runs.
  void BtnInstalarClick();
  void Label5Click();  // chat with the vendor
  void Label7Click();  // the vendor's web site

  bool Installing() const { return installing_; }
  const std::string& Title() const { return title_; }

  // Download progress, from the download component's events.
  void DownloaderHookStatus(const void* sender, THookSocketReason reason,
                            std::int32_t bytes_to_download, std::int32_t bytes_downloaded);
  void DownloaderHookMonitor(const void* sender, std::int32_t bytes_to_download,
                             std::int32_t bytes_downloaded, double average_speed,
                             std::uint16_t hour, std::uint16_t min, std::uint16_t sec);

  // InstallerUi
  void StartLog() override;
  void AddLog(const std::string& line) override;
  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) override;
  void ShowError(const std::string& text) override;
  void ProcessMessages() override;
  void EndApplication() override;

 private:
  void OpenLink(const std::string& url);
  void PumpFromProgress();

  InstallerView& view_;
  PrincipalSettings settings_;
  std::string title_;
  InstallContext context_;
  InstallActions actions_;
  std::function<DownloaderState()> download_status_;
  bool installing_ = false;
  bool end_pending_ = false;
  bool pumped_once_ = false;
  std::uint32_t last_pump_ = 0;
};

}  // namespace ov
