// The room the installer stub and the reference engine keep in their resources for the author's
// icon and version strings. The stub has a fixed size, so its resources cannot grow when saverpack
// puts her name on it: they are built with a placeholder of this size, which saverpack gives up
// to the icon and the longer version record. A program saverpack does not brand keeps the
// placeholder, unseen, and stays exactly as built.
#pragma once

#include <cstddef>
#include <cstdint>

namespace saverkit {

// The placeholder's resource type (a name of our own, so no loader or shell reads it) and id.
inline constexpr char16_t kBrandingRoomType[] = u"SAVERKIT_ROOM";
inline constexpr std::uint16_t kBrandingRoomId = 1;

// The author's icon group: the program's first and only icon, the one the shell shows for the
// file and the installer's window shows in its title bar.
inline constexpr std::uint16_t kBrandingIconGroupId = 1;

// An icon of 16, 32 and 48 px in 32-bit colour takes 15 KB, which leaves about 49 KB for a
// PNG-compressed 256 px image in 64 KB. The rest covers the version record's strings and the
// directory entries the icon's images need.
inline constexpr std::size_t kBrandingIconRoomBytes = 65536;
inline constexpr std::size_t kBrandingVersionRoomBytes = 4096;
inline constexpr std::size_t kBrandingRoomBytes = kBrandingIconRoomBytes + kBrandingVersionRoomBytes;
// The engine keeps less: it stays one small program, branded or not. An icon of 16, 32 and 48 px
// with a 256 px image compressed to about 20 KB fits; saverpack refuses a larger one for it,
// naming both sizes.
inline constexpr std::size_t kEngineBrandingIconRoomBytes = 36864;

// The longest version string saverpack writes, in UTF-16 units: the publisher, the version and
// the saver's name (at most 64 characters anyway) each stay well within the room at this length.
inline constexpr std::size_t kBrandingMaxTextLength = 128;

}  // namespace saverkit
