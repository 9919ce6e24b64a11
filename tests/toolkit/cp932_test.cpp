#include <gtest/gtest.h>

#include "toolkit/cp932.h"

namespace {

QString cp(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

}  // namespace

TEST(Cp932, CountsBytesAsTheHandsetDoes) {
    EXPECT_EQ(cp932::byteLength(u""), 0);
    EXPECT_EQ(cp932::byteLength(u"abc"), 3);
    EXPECT_EQ(cp932::byteLength(u"あ"), 2);
    EXPECT_EQ(cp932::byteLength(u"ﾊﾞｲﾄ"), 4);
    EXPECT_EQ(cp932::byteLength(u"\r\n"), 2);
    // Inside a widget a line break is a lone LF; it still costs CR LF.
    EXPECT_EQ(cp932::byteLength(u"a\nb"), 4);
    EXPECT_EQ(cp932::byteLength(u"a\r\nb"), 4);
    EXPECT_EQ(cp932::byteLength(cp(0xE63E)), 2);
    EXPECT_EQ(cp932::byteLength(u"～∥－"), 6);
}

TEST(Cp932, EncodesPictographsAndTheVendorTable) {
    EXPECT_EQ(cp932::encode(cp(0xE63E)), QByteArray("\xF8\x9F"));
    EXPECT_EQ(cp932::encode(cp(0xE757)), QByteArray("\xF9\xFC"));
    EXPECT_EQ(cp932::encode(u"～"), QByteArray("\x81\x60"));
    EXPECT_EQ(cp932::encode(u"ｱ"), QByteArray("\xB1"));
    EXPECT_EQ(cp932::decode("\xF8\x9F\x82\xA0"), cp(0xE63E) + QStringLiteral("あ"));
}

TEST(Cp932, NeverProducesTheConvertersErrorBytes) {
    // The converter writes FC FC for what it cannot hold; that must never leave here.
    const QString text = QStringLiteral("a€") + cp(0x1F600) + QStringLiteral("b") + cp(0xE758);
    const QByteArray bytes = cp932::encode(text);
    EXPECT_FALSE(bytes.contains("\xFC\xFC"));
    EXPECT_EQ(bytes, QByteArray("a??b?"));
    EXPECT_EQ(cp932::byteLength(text), bytes.size());
    EXPECT_EQ(cp932::charLength(0x20AC), 0);
    EXPECT_EQ(cp932::charLength(0xE757), 2);
    EXPECT_EQ(cp932::charLength(0xE758), 0);
}

TEST(Cp932, InputMapsLookAlikesAndReplacesTheRest) {
    EXPECT_EQ(cp932::normalizeForInput(u"〜‖−¢£¬—"), QStringLiteral("～∥－￠￡￢―"));
    EXPECT_EQ(cp932::normalizeForInput(u"x€y"), QStringLiteral("x?y"));
    // An astral character becomes one '?', not two.
    EXPECT_EQ(cp932::normalizeForInput(QStringLiteral("a") + cp(0x1F600) + QStringLiteral("b")),
              QStringLiteral("a?b"));
    EXPECT_EQ(cp932::normalizeForInput(u"a\r\nb\n"), QStringLiteral("a\r\nb\n"));
    EXPECT_EQ(cp932::normalizeForInput(u"漢字ｶﾅ"), QStringLiteral("漢字ｶﾅ"));
}

TEST(Cp932, FitPrefixKeepsWholeCharactersAndLineBreaks) {
    EXPECT_EQ(cp932::fitPrefix(u"abc", 2), QStringLiteral("ab"));
    EXPECT_EQ(cp932::fitPrefix(u"aあ", 2), QStringLiteral("a"));
    EXPECT_EQ(cp932::fitPrefix(u"aあ", 3), QStringLiteral("aあ"));
    EXPECT_EQ(cp932::fitPrefix(u"a\r\nb", 2), QStringLiteral("a"));
    EXPECT_EQ(cp932::fitPrefix(u"a\r\nb", 3), QStringLiteral("a\r\n"));
    EXPECT_EQ(cp932::fitPrefix(u"abc", 0), QString());
}

TEST(Cp932, LineBreakConversions) {
    EXPECT_EQ(cp932::toLf(u"a\r\nb\rc\nd"), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(cp932::toCrLf(u"a\nb\u2029c"), QStringLiteral("a\r\nb\r\nc"));
}

TEST(Cp932, InputTakesTextFromOtherProgramsAsTheCodePageWritesIt) {
    // Yen sign, overline and no-break space as the single bytes 5C, 7E and 20.
    const QString mapped = cp932::normalizeForInput(u"¥100‾a\u00A0b");
    EXPECT_EQ(cp932::encode(mapped), QByteArray("\\100~a b"));
    EXPECT_EQ(cp932::byteLength(mapped), 8);

    // Combining voiced marks join the kana before them; other text is untouched.
    EXPECT_EQ(cp932::normalizeForInput(u"か\u3099は\u309Aト\u3099"), QStringLiteral("がぱド"));
    // No other normalisation: the compatibility kanji and the angstrom sign keep their codes.
    EXPECT_EQ(cp932::normalizeForInput(u"\uF929\u212B"), QStringLiteral("\uF929\u212B"));
    // A mark with nothing to join becomes the spacing mark, half-width after half-width kana.
    EXPECT_EQ(cp932::normalizeForInput(u"ん\u3099ｶ\u3099"), QStringLiteral("ん゛ｶﾞ"));
}

TEST(Cp932, InputTakesAWholeEmojiSequenceAsOneCharacter) {
    const QString sun = cp(0xE63F);
    // Variation selector, skin tone and joined parts after a pictograph go with it.
    EXPECT_EQ(cp932::normalizeForInput(sun + cp(0xFE0F) + QStringLiteral("a")), sun + "a");
    EXPECT_EQ(cp932::normalizeForInput(sun + cp(0x1F3FD) + cp(0x200D) + cp(0x1F525) + "b"),
              sun + "b");
    // A flag, a family and a tagged flag are one '?' each.
    EXPECT_EQ(cp932::normalizeForInput(cp(0x1F1EF) + cp(0x1F1F5) + "x"), QStringLiteral("?x"));
    EXPECT_EQ(
        cp932::normalizeForInput(cp(0x1F468) + cp(0x200D) + cp(0x1F469) + cp(0x200D) + cp(0x1F467)),
        QStringLiteral("?"));
    EXPECT_EQ(cp932::normalizeForInput(cp(0x1F3F4) + cp(0xE0067) + cp(0xE0062) + cp(0xE007F)),
              QStringLiteral("?"));
    EXPECT_EQ(cp932::normalizeForInput(cp(0x1F44D) + cp(0x1F3FB) + cp(0x1F44D)),
              QStringLiteral("??"));
    // A joiner between ordinary characters joins nothing.
    EXPECT_EQ(cp932::normalizeForInput(u"あ\u200Dい"), QStringLiteral("あい"));
}

TEST(Cp932, InputDropsControlCharactersButTabAndLineBreaks) {
    EXPECT_EQ(cp932::normalizeForInput(QStringView(u"before\0after", 12)),
              QStringLiteral("beforeafter"));
    EXPECT_EQ(cp932::normalizeForInput(u"a\x01\x1b\x7f\tb\r\nc\n"),
              QStringLiteral("a\x7f\tb\r\nc\n"));
}
