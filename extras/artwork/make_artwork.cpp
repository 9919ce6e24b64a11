// Paints the program's pictures at build time: the version dialog's background (a
// 300 × 200 colour JPEG, written with libjpeg) and the program icon (32 × 32 with
// 256 colours, plus larger sizes for the desktop's icon theme).
//
//     mirvane_make_artwork OUTDIR
//
// writes OUTDIR/about.jpg, OUTDIR/mirvane.png and OUTDIR/mirvane-SIZE.png.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

// The icon on a canvas of `size` pixels: a blue tile with a white envelope and a
// pink heart, the kind of pictograph the program's mails carry.
QImage paintIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    QLinearGradient tile(0, 0, 0, 32);
    tile.setColorAt(0, QColor(0x2f, 0x9b, 0xe8));
    tile.setColorAt(1, QColor(0x15, 0x4f, 0xb5));
    p.setPen(QPen(QColor(0x0e, 0x3a, 0x86), 0.8));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);

    // Envelope.
    const QRectF env(5, 10, 20, 14);
    p.setPen(QPen(QColor(0x0e, 0x3a, 0x86), 1.0));
    p.setBrush(Qt::white);
    p.drawRoundedRect(env, 1.5, 1.5);
    QPainterPath flap;
    flap.moveTo(env.topLeft() + QPointF(0.6, 0.6));
    flap.lineTo(env.center().x(), env.top() + 8);
    flap.lineTo(env.topRight() + QPointF(-0.6, 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);

    // Heart, overlapping the envelope's corner.
    QPainterPath heart;
    const QPointF c(23.5, 9.5);
    heart.moveTo(c.x(), c.y() + 6);
    heart.cubicTo(c.x() - 7.5, c.y() + 0.5, c.x() - 4, c.y() - 5.5, c.x(), c.y() - 2);
    heart.cubicTo(c.x() + 4, c.y() - 5.5, c.x() + 7.5, c.y() + 0.5, c.x(), c.y() + 6);
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(QColor(0xff, 0x3d, 0x8b));
    p.drawPath(heart);
    p.end();
    return image;
}

void drawHeart(QPainter& p, QPointF c, qreal r, const QColor& colour) {
    QPainterPath heart;
    heart.moveTo(c.x(), c.y() + r);
    heart.cubicTo(c.x() - 1.3 * r, c.y() + 0.1 * r, c.x() - 0.7 * r, c.y() - 0.9 * r, c.x(),
                  c.y() - 0.35 * r);
    heart.cubicTo(c.x() + 0.7 * r, c.y() - 0.9 * r, c.x() + 1.3 * r, c.y() + 0.1 * r, c.x(),
                  c.y() + r);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(heart);
}

void drawStar(QPainter& p, QPointF c, qreal r, const QColor& colour) {
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const qreal d = i % 2 ? r * 0.45 : r;
        const QPointF pt(c.x() + d * std::cos(a), c.y() + d * std::sin(a));
        i ? star.lineTo(pt) : star.moveTo(pt);
    }
    star.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(star);
}

void drawEnvelope(QPainter& p, const QRectF& r, qreal angle) {
    p.save();
    p.translate(r.center());
    p.rotate(angle);
    const QRectF e(-r.width() / 2, -r.height() / 2, r.width(), r.height());
    p.setPen(QPen(QColor(255, 255, 255, 230), 1.2));
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawRect(e);
    p.drawLine(e.topLeft(), QPointF(0, e.height() * 0.1));
    p.drawLine(QPointF(0, e.height() * 0.1), e.topRight());
    p.restore();
}

// The version dialog's background. The controls stand on its lower, pale part
// (from y = 90 down), so the picture keeps its colour above that.
QImage paintBackground() {
    QImage image(300, 200, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0.0, QColor(0x1b, 0x5f, 0xc4));
    sky.setColorAt(0.38, QColor(0x4c, 0xb0, 0xf0));
    sky.setColorAt(0.46, QColor(0xd8, 0xef, 0xfc));
    sky.setColorAt(1.0, QColor(0xff, 0xff, 0xff));
    p.fillRect(image.rect(), sky);

    // A soft wave between the coloured band and the pale part.
    QPainterPath wave;
    wave.moveTo(0, 84);
    wave.cubicTo(80, 70, 170, 100, 300, 78);
    wave.lineTo(300, 200);
    wave.lineTo(0, 200);
    wave.closeSubpath();
    QLinearGradient pale(0, 80, 0, 200);
    pale.setColorAt(0, QColor(0xf2, 0xf9, 0xff));
    pale.setColorAt(1, QColor(0xff, 0xff, 0xff));
    p.setPen(QPen(QColor(0xa8, 0xd8, 0xf6), 2));
    p.setBrush(pale);
    p.drawPath(wave);

    // Mails flying towards a handset on the right.
    QRadialGradient glow(QPointF(250, 34), 60);
    glow.setColorAt(0, QColor(255, 255, 255, 90));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(250, 34), 60, 60);
    drawEnvelope(p, QRectF(178, 46, 20, 13), -12);
    drawEnvelope(p, QRectF(204, 24, 16, 10), -8);
    QPen trail(QColor(255, 255, 255, 150), 1.2, Qt::DotLine);
    p.setPen(trail);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(168, 68);
    path.cubicTo(170, 62, 190, 40, 238, 30);
    p.drawPath(path);

    // Handset.
    p.setPen(QPen(QColor(0x0d, 0x2f, 0x6e), 1.5));
    p.setBrush(QColor(0xf5, 0xf7, 0xfa));
    p.drawRoundedRect(QRectF(244, 10, 30, 58), 6, 6);
    p.setBrush(QColor(0x9f, 0xd6, 0xf7));
    p.drawRect(QRectF(249, 17, 20, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0d, 0x2f, 0x6e));
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            p.drawEllipse(QPointF(252 + col * 7, 48 + row * 6), 1.6, 1.3);
    }
    drawHeart(p, QPointF(259, 29), 6, QColor(0xff, 0x3d, 0x8b));

    drawStar(p, QPointF(160, 20), 5, QColor(0xff, 0xd4, 0x3b));
    drawStar(p, QPointF(226, 62), 3.5, QColor(0xff, 0xd4, 0x3b));
    drawHeart(p, QPointF(288, 78), 4, QColor(0xff, 0x7a, 0xb0));

    // The name.
    QFont name(QStringLiteral("IPAPGothic"));
    name.setPixelSize(34);
    name.setBold(true);
    name.setItalic(true);
    p.setFont(name);
    p.setPen(QColor(0x0b, 0x2c, 0x66, 120));
    p.drawText(QPointF(21, 47), QStringLiteral("Mirvane"));
    p.setPen(Qt::white);
    p.drawText(QPointF(19, 45), QStringLiteral("Mirvane"));
    QFont tagline(QStringLiteral("IPAPGothic"));
    tagline.setPixelSize(12);
    p.setFont(tagline);
    p.drawText(QPointF(22, 64), QStringLiteral("携帯電話へ、短いメールを。"));
    p.end();
    return image;
}

bool writeJpeg(const QImage& source, const QString& path) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);  // a build tool may simply stop on an error
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: mirvane_make_artwork OUTDIR\n", stderr);
        return 2;
    }
    // Painting text needs a platform; the build has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()))
        return 1;

    bool ok = writeJpeg(paintBackground(), out.filePath(QStringLiteral("about.jpg")));
    // The dialog's icon: one 32 × 32 image with at most 256 colours.
    ok = ok && paintIcon(32)
                   .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdAlphaDither)
                   .save(out.filePath(QStringLiteral("mirvane.png")));
    for (int size : {16, 48, 64, 128, 256})
        ok = ok && paintIcon(size).save(out.filePath(QStringLiteral("mirvane-%1.png").arg(size)));
    if (!ok) {
        std::fputs("mirvane_make_artwork: cannot write the pictures\n", stderr);
        return 1;
    }
    return 0;
}
