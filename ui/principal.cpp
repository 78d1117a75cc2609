#include "ui/principal.h"

#include <chrono>
#include <exception>
#include <utility>

#include "ui/application_title.h"
#include "ui/url_encoding.h"

namespace ov {
namespace {

constexpr const char* kBrowserError = "Erro ao Abrir navedador ";

std::uint32_t SteadyMilliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

Rgb ToRgb(PanelRgb colour) { return Rgb{colour.R, colour.G, colour.B}; }

}  // namespace

TFPrincipal::TFPrincipal(InstallerView& view, PrincipalSettings settings)
    : view_(view),
      settings_(std::move(settings)),
      title_(ApplicationTitle(settings_.ExecutablePath)) {
  if (!settings_.Tick) settings_.Tick = SteadyMilliseconds;
}

void TFPrincipal::FormCreate(const InstallContext& context) {
  context_ = context;
  view_.SetVisible(Control::MMLicencaUsoGratuito, false);
  view_.SetVisible(Control::MMLicencaUsoDemo, false);
  view_.SetColour(Control::PTipo, kRed);
  if (context_.Profile.Licence == LicenceKind::Free)
    view_.SetVisible(Control::MMLicencaUsoGratuito, true);
  if (context_.Profile.Licence == LicenceKind::Demo)
    view_.SetVisible(Control::MMLicencaUsoDemo, true);
  if (context_.Profile.Licence != LicenceKind::None)
    view_.SetColour(Control::PTipo, ToRgb(context_.Profile.PanelColour));
  view_.SetCaption(Control::LblSistema, context_.Profile.Title);
  RGAceiteClick(0);
}

void TFPrincipal::RGAceiteClick(int selected_index) {
  view_.SetEnabled(Control::BtnInstalar, selected_index != 0);
}

void TFPrincipal::BtnCancelarClick() {
  if (!installing_) {
    view_.EndApplication();
    return;
  }
  // The running step finishes first; the end follows when the installation has returned.
  end_pending_ = true;
  if (actions_.RequestCancel) actions_.RequestCancel();
}

void TFPrincipal::BtnInstalarClick() {
  if (installing_ || !actions_.Install) return;
  installing_ = true;
  struct Finish {
    TFPrincipal& self;
    ~Finish() {
      self.installing_ = false;
      if (self.end_pending_) {
        self.end_pending_ = false;
        self.view_.EndApplication();
      }
    }
  } finish{*this};
  actions_.Install();
}

void TFPrincipal::OpenLink(const std::string& url) {
  try {
    view_.OpenUrl(url);
  } catch (const std::exception&) {
    ShowInformation(kBrowserError);
  }
}

void TFPrincipal::Label5Click() {
  std::string url;
  try {
    url = WhatsAppChatUrl(settings_.WhatsAppHost, settings_.VendorWhatsApp);
  } catch (const std::exception&) {
    ShowInformation(kBrowserError);
    return;
  }
  OpenLink(url);
}

void TFPrincipal::Label7Click() { OpenLink(VendorSiteUrl(settings_.VendorSite)); }

void TFPrincipal::StartLog() {
  view_.SetVisible(Control::MMLicencaUsoDemo, false);
  view_.SetVisible(Control::MMLicencaUsoGratuito, true);
  view_.SetCaption(Control::MMLicencaUsoGratuito, "");
  view_.SetVisible(Control::RGAceite, false);
  view_.SetVisible(Control::ProgressBar, true);
}

void TFPrincipal::AddLog(const std::string& line) {
  view_.AppendLine(Control::MMLicencaUsoGratuito, line);
}

void TFPrincipal::ShowInformation(const std::string& text) { view_.ShowInformation(title_, text); }

bool TFPrincipal::AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) {
  return view_.AskYesNo(caption, text, icon);
}

void TFPrincipal::ShowError(const std::string& text) { view_.ShowError(title_, text); }

void TFPrincipal::ProcessMessages() { view_.ProcessMessages(); }

void TFPrincipal::EndApplication() {
  // Asked from inside an installation: the window goes once the installation has returned.
  if (installing_) {
    end_pending_ = true;
    return;
  }
  view_.EndApplication();
}

void TFPrincipal::PumpFromProgress() {
  const std::uint32_t now = settings_.Tick();
  if (pumped_once_ && static_cast<std::uint32_t>(now - last_pump_) < kPumpIntervalMs) return;
  pumped_once_ = true;
  last_pump_ = now;
  view_.ProcessMessages();
}

void TFPrincipal::DownloaderHookStatus(const void* /*sender*/, THookSocketReason reason,
                                       std::int32_t bytes_to_download,
                                       std::int32_t bytes_downloaded) {
  switch (reason) {
    case THookSocketReason::HR_SocketClose: {
      const DownloaderState status =
          download_status_ ? download_status_() : DownloaderState::stNone;
      if (status == DownloaderState::stStop) {
        view_.SetProgressPosition(0);
        view_.SetStatusText("Download Encerrado...");
      } else if (status == DownloaderState::stPause) {
        view_.SetStatusText("Download Pausado...");
      }
      break;
    }
    case THookSocketReason::HR_Connect:
      view_.SetProgressPosition(0);
      break;
    case THookSocketReason::HR_ReadCount:
      view_.SetProgressMax(bytes_to_download);
      view_.SetProgressPosition(bytes_downloaded);
      break;
    default:
      return;
  }
  PumpFromProgress();
}

void TFPrincipal::DownloaderHookMonitor(const void* /*sender*/, std::int32_t bytes_to_download,
                                        std::int32_t bytes_downloaded, double average_speed,
                                        std::uint16_t /*hour*/, std::uint16_t /*min*/,
                                        std::uint16_t sec) {
  view_.SetProgressPosition(bytes_downloaded);
  view_.SetStatusText(FormatProgressLine(bytes_to_download, bytes_downloaded, average_speed, sec,
                                         settings_.Separators));
  PumpFromProgress();
}

}  // namespace ov
