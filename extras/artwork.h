#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

// The pictures the build paints for the program (extras/artwork/make_artwork.cpp).
namespace artwork {

// The version dialog's background, as the JPEG file's bytes.
QByteArray aboutBackgroundJpeg();
// The program icon: one 32 × 32 image with 256 colours.
QImage programIconImage();
// The program icon in every size painted, for window frames and task bars.
QIcon programIcon();

}  // namespace artwork
