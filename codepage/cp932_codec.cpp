#include "codepage/cp932_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace cp932_codec {

namespace {

// ICU's name for Microsoft's code page 932, user-defined area included.
constexpr const char* kName = "windows-31j";

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

std::optional<QByteArray> encode(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    qsizetype pos = 0;
    while (pos < text.size()) {
        if (text[pos].unicode() < 0x80) {
            bytes += static_cast<char>(text[pos++].unicode());
            continue;
        }
        // Runs of other characters go through ICU in one piece.
        const qsizetype start = pos;
        while (pos < text.size() && text[pos].unicode() >= 0x80) {
            ++pos;
        }
        QStringEncoder encoder(kName, QStringConverter::Flag::Stateless);
        const QByteArray part = encoder.encode(text.sliced(start, pos - start));
        if (!encoder.isValid() || encoder.hasError()) {
            return std::nullopt;
        }
        bytes += part;
    }
    return bytes;
}

std::optional<QString> decode(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            text += QLatin1Char(bytes[pos++]);
            continue;
        }
        // A run of whole characters, so that a decoder never holds back a lead byte.
        const qsizetype start = pos;
        while (pos < bytes.size() && static_cast<unsigned char>(bytes[pos]) >= 0x80) {
            pos += (isLeadByte(static_cast<unsigned char>(bytes[pos])) && pos + 1 < bytes.size())
                       ? 2
                       : 1;
        }
        QStringDecoder decoder(kName, QStringConverter::Flag::Stateless);
        const QString part = decoder.decode(bytes.sliced(start, pos - start));
        if (!decoder.isValid() || decoder.hasError()) {
            return std::nullopt;
        }
        text += part;
    }
    return text;
}

}  // namespace cp932_codec
