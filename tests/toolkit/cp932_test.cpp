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
