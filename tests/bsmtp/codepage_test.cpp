// The one code page 932 conversion, as the program's fields and the SMTP library use it.

#include "bsmtp/cp932_text.h"
#include "codepage/cp932_codec.h"
#include "toolkit/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

TEST(Cp932Codec, ControlCharactersAreAsciiInTheProgramAndTheLibrary) {
    // ICU's table writes U+001A as 7F, U+001C as 1A and U+007F as 1C.
    QString all;
    QByteArray bytes;
    for (char16_t c = 0; c < 0x80; ++c) {
        all += QChar(c);
        bytes += static_cast<char>(c);
        const QString one(QChar{c});
        const QByteArray byte(1, static_cast<char>(c));
        EXPECT_EQ(cp932::encode(one), byte) << int(c);
        EXPECT_EQ(bsmtp::encodeCp932(one).value(), byte) << int(c);
        EXPECT_EQ(bsmtp::decodeCp932(byte).value(), one) << int(c);
        EXPECT_EQ(cp932::decode(byte), one) << int(c);
    }
    // Within longer text, beside double-byte characters, too.
    const QString text = u"表\x1a\x1c\x7fソ"_qs;
    const QByteArray expected("\x95\x5c\x1a\x1c\x7f\x83\x5c", 7);
    EXPECT_EQ(cp932::encode(text), expected);
    EXPECT_EQ(bsmtp::encodeCp932(text).value(), expected);
    EXPECT_EQ(bsmtp::decodeCp932(expected).value(), text);
    EXPECT_EQ(cp932::decode(expected), text);
    EXPECT_EQ(cp932::encode(all), bytes);
}

TEST(Cp932Codec, EveryOtherCharacterKeepsTheToolkitsTable) {
    // The byte counts of the fields come from the Shift_JIS converter: the shared encoder
    // must give the same bytes for every character beyond ASCII.
    int compared = 0;
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) {
            continue;
        }
        const QChar ch{char16_t(c)};
        QStringEncoder icu("Shift_JIS", QStringConverter::Flag::Stateless);
        const QByteArray reference = icu.encode(QStringView(&ch, 1));
        const std::optional<QByteArray> shared = cp932_codec::encode(QStringView(&ch, 1));
        if (cp932::charLength(c) == 0) {
            EXPECT_FALSE(shared.has_value()) << std::hex << int(c);
            continue;
        }
        ASSERT_TRUE(shared.has_value()) << std::hex << int(c);
        EXPECT_EQ(*shared, reference) << std::hex << int(c);
        EXPECT_EQ(shared->size(), cp932::charLength(c));
        ++compared;
    }
    EXPECT_GT(compared, 7000);
}

TEST(Cp932Codec, EveryCodeReadsAsTheToolkitsTableReadsIt) {
    // Reading goes through the same table: every byte and pair from 80 that the converter
    // reads as one character reads the same, in the program and in the library.
    auto isLead = [](unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    int compared = 0;
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        for (unsigned trail = 0x40; trail <= (isLead(lead) ? 0xFCu : 0x40u); ++trail) {
            QByteArray code(1, char(lead));
            if (isLead(lead)) {
                if (trail == 0x7F)
                    continue;
                code += char(trail);
            }
            QStringDecoder icu("Shift_JIS", QStringConverter::Flag::Stateless);
            const QString reference = icu.decode(code);
            if (icu.hasError() || reference.size() != 1 ||
                reference[0] == QChar::ReplacementCharacter) {
                EXPECT_FALSE(cp932_codec::decode(code).has_value()) << code.toHex().toStdString();
                EXPECT_EQ(cp932::decode(code), QString(QChar::ReplacementCharacter));
                continue;
            }
            EXPECT_EQ(cp932_codec::decode(code).value_or(QString()), reference)
                << code.toHex().toStdString();
            EXPECT_EQ(cp932::decode(code), reference);
            ++compared;
        }
    }
    EXPECT_GT(compared, 9000);
}

}  // namespace
