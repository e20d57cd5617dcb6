// Where saverpack finds the files every installer is made from: the installer stub and the
// implode library. An installed saverpack keeps them in share/saverkit/ beside its bin/ folder;
// a saverpack straight out of a build has them in the same folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace saverpack {

inline constexpr const char* kStubFileName = "saverstub.exe";
inline constexpr const char* kLibraryFileName = "impborl.dll";
// The stand-in Flash Player's installer, which preview runs silently in its Wine prefix.
inline constexpr const char* kPlayerStandInFileName = "standin_player_installer10.exe";
inline constexpr const char* kEngineFileName = "slideshow.scr";

// The folders looked in, in order: the program's own folder, then ../share/saverkit from it.
std::vector<std::filesystem::path> toolFolders(const std::filesystem::path& programFolder);

// The stub in the first tool folder that holds one. Throws ToolError(kInvalid) naming every
// place looked at and how to fix it.
std::filesystem::path findStub(const std::filesystem::path& programFolder);

// impborl.dll beside the stub, else in the tool folders. Throws ToolError(kInvalid) naming
// every place looked at.
std::filesystem::path findImplodeLibrary(const std::filesystem::path& stub,
                                         const std::filesystem::path& programFolder);

// A file that travels with the stub: beside it first, then in the tool folders. Throws
// ToolError(kInvalid) naming `where`, every place looked at, and `remedy`.
std::filesystem::path findBesideStub(const std::filesystem::path& stub, const std::filesystem::path& programFolder,
                                     const char* fileName, const std::string& where, const std::string& remedy);

// The reference engine, slideshow.scr, found like the implode library.
std::filesystem::path findReferenceEngine(const std::filesystem::path& stub,
                                          const std::filesystem::path& programFolder);

// The stand-in player's installer: beside the stub when one is given, else in the tool
// folders. Throws ToolError(kInvalid) naming every place looked at.
std::filesystem::path findPlayerStandIn(const std::filesystem::path& stub,
                                        const std::filesystem::path& programFolder);

}  // namespace saverpack
