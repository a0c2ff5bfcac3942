#pragma once
// The wizard's own pictures and icon, drawn when first asked for.

#include <QIcon>
#include <QPixmap>

namespace setup_main::art {

enum class Motif { Welcome, Licence, Folder, Components, Done, Failure };

inline constexpr int PictureWidth = 110;
inline constexpr int PictureHeight = 221;

QPixmap pagePicture(Motif motif);
QPixmap iconPixmap(int size);
QIcon applicationIcon();

} // namespace setup_main::art
