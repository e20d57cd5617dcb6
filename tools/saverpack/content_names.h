// Names in a content folder that an author did not mean to ship: the files a desktop leaves
// behind, and letters beyond ASCII, which the installer cannot write faithfully (it reads paths
// in the machine's single-byte code page).
#pragma once

#include <string>
#include <string_view>

namespace saverpack {

// .DS_Store and ._* (macOS), Thumbs.db and desktop.ini (Windows), in any letter case.
bool isDesktopLeftover(std::string_view fileName);

// The UTF-8 name in ASCII: accented Latin letters lose their accents ("Été" becomes "Ete"),
// ligatures are spelt out ("Æ" becomes "AE"), typographic quotes and dashes become plain ones,
// and whatever has no ASCII form (and control characters) becomes "_".
std::string asciiFileName(std::string_view name);

}  // namespace saverpack
