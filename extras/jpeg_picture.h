#pragma once

#include <QByteArray>
#include <QString>

// Decodes a JPEG file with libjpeg. A damaged or truncated file gives no picture
// and a message, never a crash or an exit of the program.
namespace jpeg_picture {

struct Picture {
    int width = 0;
    int height = 0;
    // Rows of width × 3 bytes, red, green, blue, top row first.
    QByteArray rgb;
    // Empty when the picture was decoded; otherwise why it was not.
    QString error;

    bool isNull() const { return rgb.isEmpty(); }
};

// Pictures larger than this are refused rather than decoded (a damaged header can
// claim any size).
constexpr int kMaxSide = 8192;

Picture decode(const QByteArray& jpeg);

}  // namespace jpeg_picture
