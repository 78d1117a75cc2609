#include "ui/principal.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "recording_view.h"

namespace ov {
namespace {

using testing_ui::RecordingView;

PrincipalSettings Settings(std::uint32_t* clock = nullptr) {
  PrincipalSettings s;
  s.ExecutablePath = "C:\\Downloads\\INSTALADOR.EXE";
  s.Separators = {",", "."};
  s.WhatsAppHost = "api.whatsapp.com";
  s.VendorWhatsApp = "5511900001111";
  s.VendorSite = "www.ovilar.example";
  if (clock) s.Tick = [clock] { return *clock; };
  return s;
}

InstallContext Context(LicenceKind licence, PanelRgb panel, std::string title) {
  InstallContext c;
  c.Profile.Title = std::move(title);
  c.Profile.Licence = licence;
  c.Profile.PanelColour = panel;
  c.InstallPath = "C:\\Ovilar_Conserto\\";
  return c;
}

TEST(Principal, StartStatePerEdition) {
  struct Case {
    int selector;
    bool free_visible, demo_visible;
    Rgb panel;
    std::string title;
  } cases[] = {
      {-1, true, false, kRed, "Sistema OVILAR COM\xC3\x89RCIO\r\n Para Representantes"},
      {0, true, false, kGreen, "Emissor Gratuito de \r\nNota Fiscal Eletr\xC3\xB4nica"},
      {3, false, true, kRed, "Demonstrativo \r\nOvilar - Conserto"},
      {5, false, true, kRed, "Demonstrativo \r\nOvilar - Com\xC3\xA9rcio"},
      {6, false, false, kRed, ""},  // no such edition: nothing shown, red panel
  };
  for (const auto& c : cases) {
    RecordingView view;
    TFPrincipal form(view, Settings());
    InstallContext context;
    context.Profile = EditionProfileOrBlank(c.selector);
    form.FormCreate(context);
    EXPECT_EQ(view.visible[Control::MMLicencaUsoGratuito], c.free_visible) << c.selector;
    EXPECT_EQ(view.visible[Control::MMLicencaUsoDemo], c.demo_visible) << c.selector;
    EXPECT_EQ(view.colour[Control::PTipo], c.panel) << c.selector;
    EXPECT_EQ(view.caption[Control::LblSistema], c.title) << c.selector;
    EXPECT_FALSE(view.enabled.at(Control::BtnInstalar)) << c.selector;
  }
}

TEST(Principal, InstalarFollowsTheAcceptanceChoice) {
  RecordingView view;
  TFPrincipal form(view, Settings());
  form.FormCreate(Context(LicenceKind::Demo, kPanelRed, "t"));
  form.RGAceiteClick(1);
  EXPECT_TRUE(view.enabled[Control::BtnInstalar]);
  form.RGAceiteClick(0);
  EXPECT_FALSE(view.enabled[Control::BtnInstalar]);
  form.RGAceiteClick(1);
  EXPECT_TRUE(view.enabled[Control::BtnInstalar]);
}

TEST(Principal, CancelAndCloseEndAtOnceWhenIdle) {
  RecordingView view;
  TFPrincipal form(view, Settings());
  int cancels = 0;
  form.SetInstallActions({[] {}, [&] { ++cancels; }});
  form.BtnCancelarClick();
  EXPECT_EQ(view.ends, 1);
  form.FormClose();
  EXPECT_EQ(view.ends, 2);
  EXPECT_EQ(cancels, 0);
}

TEST(Principal, LogTakesOverTheFreeLicenceBox) {
  RecordingView view;
  TFPrincipal form(view, Settings());
  form.FormCreate(Context(LicenceKind::Demo, kPanelRed, "t"));
  view.caption[Control::MMLicencaUsoGratuito] = "licence text";
  form.SetInstallActions({[&] {
                            form.StartLog();
                            form.AddLog("Aten\xC3\xA7\xC3\xA3o!!!");
                            form.AddLog("segunda linha");
                          },
                          {}});
  form.BtnInstalarClick();
  EXPECT_FALSE(view.visible[Control::MMLicencaUsoDemo]);
  EXPECT_TRUE(view.visible[Control::MMLicencaUsoGratuito]);
  EXPECT_EQ(view.caption[Control::MMLicencaUsoGratuito], "");
  EXPECT_EQ(view.lines[Control::MMLicencaUsoGratuito],
            (std::vector<std::string>{"Aten\xC3\xA7\xC3\xA3o!!!", "segunda linha"}));
  EXPECT_FALSE(view.visible[Control::RGAceite]);
  EXPECT_TRUE(view.visible[Control::ProgressBar]);
  EXPECT_EQ(view.ends, 0);
}

// Clicks that arrive while an installation runs (through the message pump of a running step).
TEST(Principal, ClicksDuringAnInstallationAreDeferredOrIgnored) {
  RecordingView view;
  TFPrincipal form(view, Settings());
  int installs = 0, cancels = 0, ends_seen_inside = -1;
  form.SetInstallActions({[&] {
                            ++installs;
                            form.BtnInstalarClick();  // second installation: ignored
                            form.BtnCancelarClick();  // deferred, asks the workflow to stop
                            form.FormClose();
                            ends_seen_inside = view.ends;
                          },
                          [&] { ++cancels; }});
  form.BtnInstalarClick();
  EXPECT_EQ(installs, 1);
  EXPECT_EQ(cancels, 2);
  EXPECT_EQ(ends_seen_inside, 0) << "the window must not end inside the running step";
  EXPECT_EQ(view.ends, 1);
  EXPECT_FALSE(form.Installing());

  form.BtnInstalarClick();  // a later run is possible again after a declined end
  EXPECT_EQ(installs, 2);
}

TEST(Principal, WorkflowEndRequestTakesEffectAfterItReturns) {
  RecordingView view;
  TFPrincipal form(view, Settings());
  int ends_inside = -1;
  form.SetInstallActions({[&] {
                            form.ShowInformation(
                                "Instala\xC3\xA7\xC3\xA3o conclu\xC3\xAD"
                                "da");
                            form.EndApplication();
                            ends_inside = view.ends;
                          },
                          {}});
  form.BtnInstalarClick();
  EXPECT_EQ(ends_inside, 0);
  EXPECT_EQ(view.ends, 1);
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].caption, "Instalador");
}

TEST(Principal, FailingInstallationStillReleasesTheWindow) {
  RecordingView view;
  TFPrincipal form(view, Settings());
  bool fail = true;
  int installs = 0;
  form.SetInstallActions({[&] {
                            ++installs;
                            if (fail) {
                              form.BtnCancelarClick();
                              throw std::runtime_error("step failed");
                            }
                          },
                          {}});
  EXPECT_THROW(form.BtnInstalarClick(), std::runtime_error);
  EXPECT_EQ(view.ends, 1);  // the cancel asked for during the run still ends the program
  fail = false;
  form.BtnInstalarClick();
  EXPECT_EQ(installs, 2);
}

TEST(Principal, BoxesCarryTheApplicationTitle) {
  RecordingView view;
  TFPrincipal form(view, Settings());
  view.answer_yes = false;
  form.ShowError("falhou");
  EXPECT_FALSE(form.AskYesNo("ATEN\xC3\x87\xC3\x83O", "continuar?", MessageIcon::Exclamation));
  ASSERT_EQ(view.boxes.size(), 2u);
  EXPECT_EQ(view.boxes[0].kind, "error");
  EXPECT_EQ(view.boxes[0].caption, "Instalador");
  EXPECT_EQ(view.boxes[1].caption, "ATEN\xC3\x87\xC3\x83O");
}

TEST(Principal, ContactLinks) {
  RecordingView view;
  TFPrincipal form(view, Settings());
  form.Label5Click();
  form.Label7Click();
  EXPECT_EQ(
      view.urls,
      (std::vector<std::string>{
          "https://api.whatsapp.com/send?phone=5511900001111&text="
          "Ol%C3%A1+Kovra%2C+estou+instalando+o+sistema++e+gostaria+de+informa%C3%A7%C3%B5es+",
          "https://www.ovilar.example"}));
  EXPECT_TRUE(view.boxes.empty());

  view.url_fails = true;
  form.Label5Click();
  form.Label7Click();
  ASSERT_EQ(view.boxes.size(), 2u);
  for (const auto& box : view.boxes) {
    EXPECT_EQ(box.kind, "info");
    EXPECT_EQ(box.caption, "Instalador");
    EXPECT_EQ(box.text, "Erro ao Abrir navedador ");
  }
}

TEST(Principal, ProgressBarFollowsTheSocketEvents) {
  RecordingView view;
  TFPrincipal form(view, Settings());
  DownloaderState state = DownloaderState::stDownload;
  form.SetDownloaderStatusQuery([&] { return state; });

  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_ReadCount, 5000, 1200);
  EXPECT_EQ(view.progress_max, 5000);
  EXPECT_EQ(view.progress_position, 1200);
  form.DownloaderHookMonitor(nullptr, 5000, 3072, 2.5, 9, 9, 65);
  EXPECT_EQ(view.progress_position, 3072);
  EXPECT_EQ(view.status, "3 / 5 KB  -  2.50 KB/s  -  00:01:05");

  // Closing while downloading leaves the display as it is.
  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_SocketClose, 0, 0);
  EXPECT_EQ(view.progress_position, 3072);
  EXPECT_EQ(view.status, "3 / 5 KB  -  2.50 KB/s  -  00:01:05");

  state = DownloaderState::stPause;
  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_SocketClose, 0, 0);
  EXPECT_EQ(view.status, "Download Pausado...");
  EXPECT_EQ(view.progress_position, 3072);

  state = DownloaderState::stStop;
  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_SocketClose, 0, 0);
  EXPECT_EQ(view.status, "Download Encerrado...");
  EXPECT_EQ(view.progress_position, 0);

  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_ReadCount, 9000, 4000);
  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_WriteCount, 1, 2);
  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_Error, 1, 2);
  EXPECT_EQ(view.progress_max, 9000);
  EXPECT_EQ(view.progress_position, 4000);
  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_Connect, 1, 2);
  EXPECT_EQ(view.progress_position, 0);
  EXPECT_EQ(view.progress_max, 9000);  // the maximum stays until the next body starts
}

TEST(Principal, ProgressEventsPumpMessagesAFewTimesASecond) {
  RecordingView view;
  std::uint32_t clock = 0xFFFFFF00u;  // close to the wrap of the 32-bit tick
  TFPrincipal form(view, Settings(&clock));
  form.DownloaderHookMonitor(nullptr, 100, 1, 1, 0, 0, 1);
  EXPECT_EQ(view.pumps, 1);
  for (int i = 0; i < 10; ++i) {
    clock += 20;
    form.DownloaderHookMonitor(nullptr, 100, 1, 1, 0, 0, 1);
  }
  EXPECT_EQ(view.pumps, 1);  // 200 ms later: not yet
  clock += 50;
  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_Connect, 0, 0);
  EXPECT_EQ(view.pumps, 2);
  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_Wait, 0, 0);
  clock += 1000;
  form.DownloaderHookStatus(nullptr, THookSocketReason::HR_Wait, 0, 0);  // not a progress event
  EXPECT_EQ(view.pumps, 2);
}

}  // namespace
}  // namespace ov
