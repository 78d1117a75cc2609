// The window presenter driving the real installation workflow over in-memory platform fakes.
#include <gtest/gtest.h>

#include <algorithm>

#include "installer/installation_workflow.h"
#include "recording_view.h"
#include "support/fake_downloader.h"
#include "support/fake_platform.h"
#include "ui/principal.h"

namespace ov {
namespace {

using testing_ui::RecordingView;

struct WindowWithWorkflow {
  WindowWithWorkflow() {
    PrincipalSettings settings;
    settings.ExecutablePath = "C:\\Temp\\Instalador.exe";
    form = std::make_unique<TFPrincipal>(view, settings);
    form->FormCreate(MakeInstallContext(3, "http://srv.test/instalador/", platform.System));
    workflow = std::make_unique<InstallationWorkflow>(form->Context(), platform.Bundle(), *form,
                                                      downloader);
    form->SetInstallActions(
        {[this] { workflow->BtnInstalarClick(); }, [this] { workflow->RequestCancel(); }});
  }
  const std::vector<std::string>& Log() { return view.lines[Control::MMLicencaUsoGratuito]; }

  RecordingView view;
  test::FakePlatform platform;
  test::FakeDownloader downloader{platform.Files};
  std::unique_ptr<TFPrincipal> form;
  std::unique_ptr<InstallationWorkflow> workflow;
};

TEST(PrincipalWorkflow, StartStateOfTheBuiltEdition) {
  WindowWithWorkflow w;
  EXPECT_EQ(w.view.caption[Control::LblSistema], "Demonstrativo \r\nOvilar - Conserto");
  EXPECT_TRUE(w.view.visible[Control::MMLicencaUsoDemo]);
  EXPECT_FALSE(w.view.visible[Control::MMLicencaUsoGratuito]);
  EXPECT_EQ(w.view.colour[Control::PTipo], kRed);
  EXPECT_FALSE(w.view.enabled[Control::BtnInstalar]);
  EXPECT_EQ(w.form->Context().InstallPath, "C:\\Ovilar_Conserto\\");
}

TEST(PrincipalWorkflow, InstalarShowsTheReminderAndTurnsTheLicenceBoxIntoTheLog) {
  WindowWithWorkflow w;
  w.form->RGAceiteClick(1);
  w.form->BtnInstalarClick();
  ASSERT_FALSE(w.view.boxes.empty());
  EXPECT_EQ(w.view.boxes[0].kind, "info");
  EXPECT_EQ(w.view.boxes[0].caption, "Instalador");
  EXPECT_EQ(w.view.boxes[0].text,
            "N\xC3\x83O ESQUE\xC3\x87"
            "A DE EXECUTAR ESTE INSTALADOR COM PERMISS\xC3\x83O DE ADMINISTRADOR");
  ASSERT_GE(w.Log().size(), 2u);
  EXPECT_EQ(w.Log()[0], "Aten\xC3\xA7\xC3\xA3o!!!");
  EXPECT_FALSE(w.view.visible[Control::MMLicencaUsoDemo]);
  EXPECT_TRUE(w.view.visible[Control::MMLicencaUsoGratuito]);
  EXPECT_FALSE(w.view.visible[Control::RGAceite]);
  EXPECT_TRUE(w.view.visible[Control::ProgressBar]);
}

// The user clicks while a file downloads (the progress events pump the window's messages).
TEST(PrincipalWorkflow, ClicksDuringADownloadPauseItAndEndOnlyAfterTheRun) {
  WindowWithWorkflow w;
  int transfers = 0, ends_inside = -1;
  w.downloader.DuringTransfer = [&] {
    if (++transfers > 1) return;
    w.form->BtnInstalarClick();  // a second installation must not start
    w.form->FormClose();
    ends_inside = w.view.ends;
  };
  w.form->BtnInstalarClick();
  ASSERT_EQ(w.downloader.Requests.size(), 1u);
  const auto& first = w.downloader.Requests[0];
  EXPECT_TRUE(w.platform.Files.FileExists(first.Folder + first.Name + ".part"));
  EXPECT_FALSE(w.platform.Files.FileExists(first.Folder + first.Name));
  EXPECT_EQ(ends_inside, 0);
  EXPECT_EQ(w.view.ends, 1);
  EXPECT_EQ(w.Log().back(), "Instala\xC3\xA7\xC3\xA3o interrompida a pedido do usu\xC3\xA1rio.");
  EXPECT_FALSE(w.form->Installing());
}

}  // namespace
}  // namespace ov
