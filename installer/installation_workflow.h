#pragma once
// What "Instalar" and "Cancelar" do: the administrator reminder, the server decision and the
// thirteen installation steps, over the platform seam, the window and the download component.

#include <optional>
#include <string>

#include "installer/file_downloader.h"
#include "installer/install_context.h"
#include "installer/install_request.h"
#include "installer/installer_ui.h"
#include "platform/platform_services.h"

namespace ov {

enum class InstallOutcome {
  Completed,       // every step ran; the success box was shown and the application asked to end
  Declined,        // the user said No to a question; nothing was installed
  Failed,          // a step failed; logged, error box shown, the window stays open for a rerun
  Cancelled,       // "Cancelar"/close during the run; stopped after the step that was running
  AlreadyRunning,  // a second "Instalar" while an installation runs; ignored
};

class InstallationWorkflow {
 public:
  // All references must outlive the workflow.
  InstallationWorkflow(const InstallContext& context, PlatformServices platform, InstallerUi& ui,
                       FileDownloader& downloader);

  // The workflow part of the "Instalar" click: reminder box, log start, server detection,
  // questions, then RunInstallation. Ignored (AlreadyRunning) while an installation runs.
  InstallOutcome BtnInstalarClick();

  // The installation steps for a decided request. Ends the application after the success box;
  // on failure logs the file or step, shows an error box and leaves the window open.
  InstallOutcome RunInstallation(const InstallRequest& request);

  // "Cancelar" or closing the window. True when nothing runs: the caller ends the application
  // now. While an installation runs: remembers the request, pauses a running download (its
  // ".part" stays for a later run), returns false; the workflow stops once the running step has
  // ended and then asks the application to end from the top of its own call.
  bool RequestCancel();

  bool IsRunning() const { return running_; }

 private:
  class Steps;  // the steps of one run
  InstallOutcome DecideAndInstall();
  InstallOutcome Execute(const InstallRequest& request);
  InstallOutcome Finish(InstallOutcome outcome);

  const InstallContext& context_;
  PlatformServices platform_;
  InstallerUi& ui_;
  FileDownloader& downloader_;
  bool running_ = false;
  bool cancel_requested_ = false;
  bool downloading_ = false;
};

}  // namespace ov
