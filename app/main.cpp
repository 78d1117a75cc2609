// Program entry of Instalador.exe: starts the socket interface, COM for this thread, the window
// and the installation workflow, runs the message loop, then releases them in reverse order.
#include <windows.h>
// after windows.h
#include <objbase.h>

#include <exception>
#include <memory>
#include <string>

#include "installer/install_context.h"
#include "installer/installation_workflow.h"
#include "net/socket_interface.h"
#include "net/unicode.h"
#include "ov/build_config.h"
#include "platform/win32/win32_platform.h"
#include "ui/application_title.h"
#include "ui/component_downloader.h"
#include "ui/principal.h"
#include "ui/win32/principal_window.h"
#include "ui/win32/window_content.h"

namespace {

// COM for the GUI thread as a single-threaded apartment (shell links, firewall objects).
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

std::string ExecutablePath() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return ov::Narrow(path);
}

// The sample-site build is this program downloading from the sample site on loopback instead
// of the configured server.
ov::InstallContext InstallContextOfThisBuild(const ov::SystemInfo& system) {
#ifdef OV_SAMPLE_SITE_BASE_URL
  return ov::MakeInstallContext(ov::build_config::kEditionSelector, OV_SAMPLE_SITE_BASE_URL, system);
#else
  return ov::MakeBuildInstallContext(system);
#endif
}

int Run(HINSTANCE instance, int show) {
  ov::SocketInterfaceGuard sockets;
  ComApartment com;
  auto window =
      ov::win32::PrincipalWindow::Create(instance, ov::win32::LoadWindowContent(instance));
  ov::Win32Platform platform([&window] { return window->Handle(); });

  ov::PrincipalSettings settings;
  settings.ExecutablePath = ExecutablePath();
  settings.Separators = ov::win32::ReadLocaleSeparators();
  settings.WhatsAppHost = ov::build_config::kWhatsAppHost;
  settings.VendorWhatsApp = ov::build_config::kVendorWhatsApp;
  settings.VendorSite = ov::build_config::kVendorSite;
  ov::TFPrincipal form(*window, settings);
  window->SetErrorCaption(form.Title());
  form.FormCreate(InstallContextOfThisBuild(platform.Services().System));

  ov::ComponentDownloader downloader(form);
  ov::InstallationWorkflow workflow(form.Context(), platform.Services(), form, downloader);
  form.SetInstallActions(
      {[&workflow] { workflow.BtnInstalarClick(); }, [&workflow] { workflow.RequestCancel(); }});
  window->SetEvents({
      [&form] { form.BtnCancelarClick(); },
      [&form] { form.BtnInstalarClick(); },
      [&form] { form.FormClose(); },
      [&form](int index) { form.RGAceiteClick(index); },
      [&form] { form.Label5Click(); },
      [&form] { form.Label7Click(); },
  });

  ShowWindow(window->Handle(), show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(window->Handle());
  return window->RunMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  try {
    return Run(instance, show);
  } catch (const std::exception& error) {
    // Start-up failures (the socket interface first of all) come before any window exists.
    const std::wstring caption = ov::Widen(ov::ApplicationTitle(ExecutablePath()));
    MessageBoxW(nullptr, ov::Widen(error.what()).c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    return 1;
  }
}
