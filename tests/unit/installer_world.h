// A whole machine for the startup and install tests: Windows XP (or 64-bit Windows) with its
// folders, a registered Flash Player, a launcher window, and an installer file built from an
// InstallerImage, all in the fakes. The installer then runs from its very start.
#pragma once

#include <algorithm>
#include <string>

#include "flash/player_detection.h"
#include "installer/installer_form.h"
#include "installer/program_start.h"
#include "package_fixture.h"

namespace saverkit::testing {

inline const std::string kLocalData = "C:\\Documents and Settings\\user\\Local Settings\\Application Data\\";
inline const std::string kWorking = kLocalData + "Vantrel\\ZOR1\\";
inline const std::string kSystem32 = "C:\\WINDOWS\\system32\\";
inline const std::string kSysnative = "C:\\WINDOWS\\Sysnative\\";
inline const std::string kShared = "C:\\Documents and Settings\\All Users\\Application Data\\Vantrel\\";
inline const std::string kInstaller = "C:\\Downloads\\Ocean Setup.exe";
inline const std::string kFlashOcx = "C:\\WINDOWS\\system32\\Macromed\\Flash\\Flash10a.ocx";
inline const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr WindowHandle kLauncher = 4242;

class InstallerWorld {
 public:
  InstallerWorld() {
    fakes.process.environment = {{"WINDIR", "C:\\WINDOWS"}, {"SystemRoot", "C:\\WINDOWS"}};
    fakes.process.path = kInstaller;
    for (const std::string& folder :
         {kLocalData, kSystem32, std::string("C:\\Documents and Settings\\All Users\\Application Data"),
          std::string("C:\\Documents and Settings\\user\\Start Menu\\Programs\\Startup")}) {
      fakes.files.addFolder(folder);
    }
    installPlayer(10, 45);
    fakes.messaging.windows[kLauncher] = "launcher";
    registerNativeCodec(fakes.libraries, kWorking + "impborl.dll");
    image.header.saverName = "Ocean";
    image.header.presentationMode = 1;
    image.setSlot(3, "intro.bmp", 7, "BM picture");
    image.setSlot(6, "Ocean.scr", 2, "engine");
    image.setSlot(7, "Ocean.swf", 1, "movie");
    data.add("scenes\\reef.swf", std::string(4000, 'r'), true);
    data.add("sound.mp3", "waves");
    image.setSlot(8, "Ocean.dat", 7, "");
  }

  void installPlayer(std::uint32_t major, std::uint32_t release) {
    fakes.files.addFile(kFlashOcx, "ocx");
    auto key = fakes.registry.openKey(RegistryRoot::kLocalMachine, kPlayerClassKey, KeyAccess::kCreate);
    key->setString("", kFlashOcx);
    fakes.system.fileVersions[kFlashOcx] = {major << 16, release << 16};
  }
  void removePlayer() { fakes.registry.deleteKeyTree(RegistryRoot::kLocalMachine, kPlayerClassKey); }
  void sixtyFourBit() {
    fakes.system.wow64 = Wow64Answer::kYes;
    fakes.files.addFolder(kSysnative);
  }

  // Writes the installer file (with the data file in slot 8, where and as the slot says) and
  // runs the program.
  int run(const std::vector<std::string>& parameters = {"/l=4242"}) {
    const PackageEntry dataEntry = image.header.entries[8];
    if (!dataEntry.isEmpty()) {
      image.setSlot(8, dataEntry.name, dataEntry.destination, data.bytes(), dataEntry.imploded);
    }
    fakes.files.addFile(kInstaller, image.bytes());
    fakes.process.parameters = parameters;
    return runProgram(context, form);
  }

  std::string product() const { return kShared + image.header.saverName + "\\"; }
  std::vector<std::string> launcherTexts() const {
    std::vector<std::string> texts;
    for (const auto& record : fakes.messaging.sent) texts.push_back(record.data);
    return texts;
  }
  bool logged(const std::string& entry) const {
    return std::find(fakes.view.log.begin(), fakes.view.log.end(), entry) != fakes.view.log.end();
  }
  std::vector<std::string> dialogTexts() const {
    std::vector<std::string> texts;
    for (const auto& dialog : fakes.view.dialogs) texts.push_back(dialog.text);
    return texts;
  }

  fake::FakePlatform fakes;
  InstallerContext context{fakes.platform, fakes.view};
  InstallerForm form{context};
  InstallerImage image;
  DataFileImage data;
};

}  // namespace saverkit::testing
