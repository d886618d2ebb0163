#pragma once
// The pictures of the main window that are on the screen at its first paint (the folder icons
// and the maker's logo), drawn rather than decoded: decoding the first image file loads Qt's
// image format plugins, which costs the start-up more than the drawing.
#include <QIcon>
#include <QPixmap>

namespace quorvex {

// 16 by 16 folder icons: an open one for the path, a closed one for the sub-folders.
QIcon folderIcon(bool open);

// The maker's mark, 120 by 48: a worm curled into a Q over a blasted hill, and the names.
QPixmap makerLogo();

} // namespace quorvex
