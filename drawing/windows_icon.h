// The program's icon as a Windows icon file (.ico), for the resource script
// of the Windows programs.
#pragma once

#include <QByteArray>
#include <initializer_list>

namespace voltaris {

// The sizes a Windows icon carries, from the small one of a title bar to
// the large one of Explorer's tiles.
inline constexpr std::initializer_list<int> WindowsIconSizes = {16, 24, 32, 48, 64, 128, 256};

// The icon picture drawn at each of WindowsIconSizes, each kept as PNG in
// one .ico file. Needs the picture resources (InitPictureResources).
QByteArray WindowsIcon();

}  // namespace voltaris
