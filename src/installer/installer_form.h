// The installer window's behaviour, apart from drawing: its creation (which runs the startup
// sequence), the close handling every ending goes through, and the button handlers.
#pragma once

#include <memory>

#include "flash/flash_panel.h"
#include "installer/installer_context.h"
#include "installer/installer_view.h"

namespace saverkit {

class InstallerForm : public InstallerEvents {
 public:
  explicit InstallerForm(InstallerContext& context) : context_(context) {}
  ~InstallerForm() override;
  InstallerForm(const InstallerForm&) = delete;
  InstallerForm& operator=(const InstallerForm&) = delete;

  void onFormCreate() override;
  void onFormShow() override;
  void onCloseRequested() override;
  void onInstallClick() override;
  void onCancelClick() override;
  void onDoneClick() override;
  void onResize(int clientWidth, int clientHeight) override;

  // Closes the window the way the close box does: refused while an install runs; otherwise
  // the working folder is removed, the launcher notified and the application terminated.
  void close();
  bool closed() const { return closed_; }
  // moviePanel1: created with the window, destroyed when it closes; null before and after.
  FlashPanel* moviePanel() { return moviePanel_.get(); }

 private:
  InstallerContext& context_;
  bool closed_ = false;
  std::unique_ptr<FlashPanel> moviePanel_;
};

}  // namespace saverkit
