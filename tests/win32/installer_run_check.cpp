// The installer runner against Wine's msi.dll with a real package (argv[1]):
// a cancel before the call skips it, a cancel during the run rolls it back,
// and an install followed by a removal both complete. Progress reaches the
// progress variables while the installer works.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "msi/install_result.h"
#include "msi/win32/installer_thread.h"
#include "msi/win32/msi_library.h"
#include "tests/win32/check.h"

using vantrell::wintest::Check;

namespace {

class ThreadWait final : public vantrell::WaitHost {
 public:
  void ProcessOneMessage() override { Sleep(10); }
  void WakeMainThread() override {}
};

constexpr const char* kProduct = "{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}";

bool Installed() {
  return vantrell::msi::MsiQueryProductStateA(kProduct) == INSTALLSTATE_DEFAULT;
}

int Run(vantrell::TVariableManager& vars, const std::string& package, bool install,
        std::string& error) {
  ThreadWait wait;
  vantrell::Win32InstallerRunner runner(wait, /*silent=*/false, vars);
  vantrell::InstallerRequest request;
  request.packagePath = package;
  request.productCode = kProduct;
  request.install = install;
  request.dataFolder = "C:\\windows\\temp\\vantrell-data\\";
  request.targetFolder = "C:\\Program Files\\Vantrell Sample\\";
  request.variablesText = vars.ExportVariables();
  return runner.RunInstaller(request, error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 100;
  const std::string package = argv[1];
  vantrell::TVariableManager vars;
  vars.PutVariable("SILENT", "TRUE");
  vars.PutVariable("TEMPDIR", "C:\\windows\\temp\\");
  std::string error;

  // A cancel confirmed before the call: nothing is asked of the installer.
  vars.PutVariable("VELD_thCancelled", "TRUE");
  vantrell::SetCancelRequested(true);
  Check(Run(vars, package, true, error) == vantrell::kInstallCancel,
        "cancel before the call gives CANCEL");
  vantrell::SetCancelRequested(false);
  Check(!Installed(), "nothing installed after an early cancel");

  // A cancel while the installer works: it rolls back.
  std::atomic<bool> done{false};
  std::atomic<bool> sawProgress{false};
  std::thread canceller([&] {
    while (!done) {
      std::string text = vars.GetVariable("VELD_thProgressText");
      if (!text.empty() && text.rfind("Windows Installer", 0) != 0) {
        sawProgress = true;
        vantrell::SetCancelRequested(true);
        return;
      }
      Sleep(1);
    }
  });
  int result = Run(vars, package, true, error);
  done = true;
  canceller.join();
  vantrell::SetCancelRequested(false);
  Check(sawProgress, "installer actions reach the progress text");
  Check(result == vantrell::kInstallCancel,
        "cancel during the run gives CANCEL (installer said: " + error + ")");
  // Windows rolls the installation back when the handler answers cancel; Wine's
  // msi.dll finishes it anyway, so there the product is removed again here.
  if (Installed()) {
    std::printf("  note  the installer finished after the cancel answer (no rollback here)\n");
    Run(vars, package, false, error);
  }
  Check(!Installed(), "nothing is left installed after the cancelled run");

  Check(Run(vars, package, true, error) == vantrell::kInstallComplete,
        "install completes: " + error);
  Check(Installed(), "the product is installed");
  Check(Run(vars, package, false, error) == vantrell::kInstallComplete,
        "removal completes: " + error);
  Check(!Installed(), "the product is removed");
  return vantrell::wintest::Failures();
}
