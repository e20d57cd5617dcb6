// The installer stub's entry point: the Win32 platform, the installer context and the program.
#include "installer/administrator_view.h"
#include "installer/installer_context.h"
#include "installer/installer_form.h"
#include "installer/program_start.h"
#include "platform/win32/system_library.h"
#include "platform/win32/windows_api.h"

#include "ui/win32/win32_runtime.h"

#include "package/package_binding.h"

#include <cstdlib>

// A failure that ends in std::terminate ends the installer at once. libstdc++'s own handler would
// first print the exception's name for a console a windowed program does not have, and brings in
// its demangler to do it: room the stub's fixed size keeps for the author's icon.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The reserved place for the package's binding, in a section of its own so that saverpack finds
// it from the section table. saverpack fills it in; the copy in memory is what the loader mapped
// from the file the user started, whatever happens to that file later.
extern "C" __attribute__((section(".skbind"), used)) const unsigned char saverkitPackageBinding[48] = {
    'S', 'K', 'B', 'I', 'N', 'D', '0', '1'};
static_assert(sizeof saverkitPackageBinding == saverkit::kBindingRecordSize, "the record's size is fixed");

namespace {

std::optional<saverkit::PackageBinding> consentedBinding() {
  // Read through a pointer the compiler cannot see through: the record's value is known only once
  // a package is appended, so the compiler must not fold in the empty one it was built with.
  const unsigned char* volatile record = saverkitPackageBinding;
  return saverkit::decodeBinding(record, sizeof saverkitPackageBinding);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // First of all: no library of ours may ever come from the download folder, nor any library
  // that the system's own load late.
  saverkit::win32::restrictLibrarySearchToSystemFolder();
  saverkit::win32::preloadSystemLibraries();
  int exitCode = 0;
  {
    saverkit::win32::Win32Runtime runtime;
    saverkit::AdministratorView view(runtime.view, runtime.files, runtime.texts,
                                     saverkit::readAdministratorSwitches(runtime.process.commandLineParameters()));
    saverkit::InstallerContext context(runtime.platform, view);
    context.consentedBinding = consentedBinding();
    saverkit::InstallerForm form(context);
    exitCode = saverkit::runProgram(context, form);
  }
  return exitCode;
}
