#include <gtest/gtest.h>

#include <QSet>
#include <map>

#include "codepage/pictograph_table.h"
#include "toolkit/cp932.h"

namespace {

QByteArray bytes(unsigned code) {
    QByteArray b(2, '\0');
    b[0] = char(code >> 8);
    b[1] = char(code & 0xFF);
    return b;
}

unsigned codeOf(char32_t cp) {
    const QByteArray b = pictographs::toCp932(cp);
    return (unsigned(std::uint8_t(b[0])) << 8) | std::uint8_t(b[1]);
}

QString str(std::u32string_view s) {
    return QString::fromUcs4(s.data(), qsizetype(s.size()));
}

}  // namespace

TEST(PictographCodes, UserAreaMappingAtTheTurningPoints) {
    EXPECT_EQ(pictographs::toCp932(0xE63E), bytes(0xF89F));
    EXPECT_EQ(pictographs::toCp932(0xE697), bytes(0xF8F8));
    EXPECT_EQ(pictographs::toCp932(0xE698), bytes(0xF8F9));
    EXPECT_EQ(pictographs::toCp932(0xE69C), bytes(0xF940));
    EXPECT_EQ(pictographs::toCp932(0xE757), bytes(0xF9FC));
    EXPECT_EQ(pictographs::toCp932(0xE000), bytes(0xF040));
    // The trail byte steps over 7F.
    EXPECT_EQ(pictographs::toCp932(0xE03E), bytes(0xF07E));
    EXPECT_EQ(pictographs::toCp932(0xE03F), bytes(0xF080));
}

TEST(PictographCodes, EveryUserAreaCodeRoundTripsAndMatchesTheCodePage) {
    char32_t previous = 0;
    for (char32_t cp = 0xE000; cp <= pictographs::kLast; ++cp) {
        const QByteArray b = pictographs::toCp932(cp);
        ASSERT_EQ(b.size(), 2);
        EXPECT_NE(std::uint8_t(b[1]), 0x7F);
        EXPECT_EQ(pictographs::fromCp932(b), cp);
        EXPECT_GT(codeOf(cp), previous);
        previous = codeOf(cp);
        // The program's code page conversion must agree, or a clicked pictograph
        // would be sent as something else.
        EXPECT_EQ(cp932::encode(QString(QChar(char16_t(cp)))), b) << std::hex << unsigned(cp);
    }
}

TEST(PictographCodes, RejectsWhatIsNoUserAreaCode) {
    EXPECT_TRUE(pictographs::toCp932(0xDFFF).isEmpty());
    EXPECT_TRUE(pictographs::toCp932(0xE758).isEmpty());
    EXPECT_TRUE(pictographs::toCp932(U'A').isEmpty());
    EXPECT_EQ(pictographs::fromCp932(bytes(0xF87F)), 0u);
    EXPECT_EQ(pictographs::fromCp932(bytes(0xF83F)), 0u);
    EXPECT_EQ(pictographs::fromCp932(bytes(0xF8FD)), 0u);
    EXPECT_EQ(pictographs::fromCp932(bytes(0xEF40)), 0u);
    EXPECT_EQ(pictographs::fromCp932(bytes(0xFA40)), 0u);
    EXPECT_EQ(pictographs::fromCp932(QByteArray("\xF8")), 0u);
    EXPECT_EQ(pictographs::fromCp932(QByteArray("\xF8\x9F\x40")), 0u);
}

TEST(PictographTabs, ButtonCountsAndTheCodesOfNamedButtons) {
    ASSERT_EQ(pictographs::tabCodes(0).size(), 90u);
    ASSERT_EQ(pictographs::tabCodes(1).size(), 86u);
    ASSERT_EQ(pictographs::tabCodes(2).size(), 76u);
    EXPECT_TRUE(pictographs::tabCodes(3).empty());
    EXPECT_TRUE(pictographs::tabCodes(-1).empty());

    EXPECT_EQ(pictographs::toCp932(pictographs::tabCodes(0).front()), bytes(0xF89F));
    EXPECT_EQ(pictographs::toCp932(pictographs::tabCodes(2).back()), bytes(0xF9FC));
    // Fifth button of tab 2's second row.
    const char32_t fifthOfSecondRow = pictographs::tabCodes(1)[pictographs::kColumns + 4];
    EXPECT_EQ(fifthOfSecondRow, 0xE6A5u);
    EXPECT_EQ(pictographs::toCp932(fifthOfSecondRow), bytes(0xF949));
}

TEST(PictographTabs, EachCodeOnceInAscendingOrderAndTheGapsLeftOut) {
    QSet<char32_t> seen;
    for (int tab = 0; tab < pictographs::kTabCount; ++tab) {
        const auto codes = pictographs::tabCodes(tab);
        for (std::size_t k = 0; k < codes.size(); ++k) {
            EXPECT_FALSE(seen.contains(codes[k])) << std::hex << unsigned(codes[k]);
            seen.insert(codes[k]);
            if (k > 0) {
                EXPECT_LT(codes[k - 1], codes[k]);
            }
            EXPECT_TRUE(pictographs::isPictograph(codes[k]));
        }
    }
    EXPECT_EQ(seen.size(), pictographs::kCount);
    const auto gap = [](char32_t cp) {
        return (cp >= 0xE6A6 && cp <= 0xE6AB) || (cp >= 0xE6AF && cp <= 0xE6B0) ||
               (cp >= 0xE6B4 && cp <= 0xE6B6) || (cp >= 0xE6BB && cp <= 0xE6CD);
    };
    for (char32_t cp = pictographs::kFirst; cp <= pictographs::kLast; ++cp) {
        EXPECT_EQ(seen.contains(cp), !gap(cp)) << std::hex << unsigned(cp);
        EXPECT_EQ(pictographs::isPictograph(cp), !gap(cp));
    }
    EXPECT_FALSE(pictographs::isPictograph(0xE63D));
    EXPECT_FALSE(pictographs::isPictograph(0xE758));
}

TEST(PictographTabs, TabTwoHoldsTheListedCodePageCodes) {
    // The same tab described by its two-byte codes.
    const std::pair<unsigned, unsigned> ranges[] = {
        {0xF8F9, 0xF8FC}, {0xF940, 0xF949}, {0xF950, 0xF952}, {0xF955, 0xF957},
        {0xF95B, 0xF95E}, {0xF972, 0xF97E}, {0xF980, 0xF9B0}};
    std::vector<unsigned> expected;
    for (auto [first, last] : ranges) {
        for (unsigned c = first; c <= last; ++c)
            expected.push_back(c);
    }
    std::vector<unsigned> actual;
    for (char32_t cp : pictographs::tabCodes(1))
        actual.push_back(codeOf(cp));
    EXPECT_EQ(actual, expected);
}

TEST(PictographTabs, CaptionsAreACircledDigitAndAPictographOfTheTab) {
    const char32_t pictograph[] = {0xE694, 0xE6F0, 0xE754};
    const unsigned digit[] = {0x8740, 0x8741, 0x8742};
    for (int tab = 0; tab < pictographs::kTabCount; ++tab) {
        const QString caption = pictographs::tabCaption(tab);
        ASSERT_EQ(caption.size(), 2);
        EXPECT_EQ(cp932::encode(caption.left(1)), bytes(digit[tab]));
        EXPECT_EQ(caption[1].unicode(), pictograph[tab]);
        const auto codes = pictographs::tabCodes(tab);
        EXPECT_NE(std::find(codes.begin(), codes.end(), pictograph[tab]), codes.end());
    }
    EXPECT_TRUE(pictographs::tabCaption(3).isEmpty());
}

TEST(PictographColours, EachColourHasItsNumberOfPictographs) {
    std::map<std::uint32_t, int> count;
    for (int tab = 0; tab < pictographs::kTabCount; ++tab) {
        for (char32_t cp : pictographs::tabCodes(tab))
            ++count[pictographs::colour(cp)];
    }
    const std::map<std::uint32_t, int> expected = {{0x000000, 79}, {0xFF0000, 56}, {0x0000FF, 38},
                                                   {0xFDA90A, 36}, {0x008000, 17}, {0xFF00FF, 15},
                                                   {0x800000, 6},  {0x000080, 3},  {0x800080, 2}};
    EXPECT_EQ(count, expected);

    EXPECT_EQ(pictographs::colour(0xE63E), 0xFF0000u);
    EXPECT_EQ(pictographs::colour(0xE63F), 0x0000FFu);
    EXPECT_EQ(pictographs::colour(0xE6D1), 0xFDA90Au);
    EXPECT_EQ(pictographs::colour(0xE754), 0x800000u);
    EXPECT_EQ(pictographs::colour(0xE757), 0x800080u);
}

TEST(PictographEmoji, KnownPairsBothWays) {
    EXPECT_EQ(pictographs::forEmoji(U"\u2600"), 0xE63Eu);      // sun
    EXPECT_EQ(pictographs::forEmoji(U"\U0001F300"), 0xE643u);  // cyclone
    EXPECT_EQ(pictographs::forEmoji(U"\u3030"), 0xE709u);      // wavy dash
    EXPECT_EQ(pictographs::forEmoji(U"#\u20E3"), 0xE6E0u);
    EXPECT_EQ(pictographs::forEmoji(U"1\u20E3"), 0xE6E2u);
    EXPECT_EQ(pictographs::forEmoji(U"0\u20E3"), 0xE6EBu);
    EXPECT_EQ(pictographs::forEmoji(U"1"), 0u);
    EXPECT_EQ(pictographs::forEmoji(U"\U0001F600"), 0u);
    EXPECT_EQ(pictographs::forEmoji(U""), 0u);
    EXPECT_EQ(pictographs::emojiOf(0xE63E), U"\u2600");
    EXPECT_EQ(pictographs::emojiOf(0xE6E2), U"1\u20E3");
}

TEST(PictographEmoji, EveryMappedEmojiLeadsBackToItsPictograph) {
    // The pictographs that no standard emoji stands for.
    const QSet<char32_t> without = {0xE6D1, 0xE6D2, 0xE6D4, 0xE6D5, 0xE6DF, 0xE6E1, 0xE70C, 0xE70D};
    for (int tab = 0; tab < pictographs::kTabCount; ++tab) {
        for (char32_t cp : pictographs::tabCodes(tab)) {
            const auto emoji = pictographs::emojiOf(cp);
            EXPECT_EQ(emoji.empty(), without.contains(cp)) << std::hex << unsigned(cp);
            if (emoji.empty())
                continue;
            EXPECT_EQ(pictographs::forEmoji(emoji), cp);
            // Typed or pasted, it becomes exactly the pictograph's two bytes.
            const QString typed = pictographs::replaceEmoji(str(emoji));
            EXPECT_EQ(cp932::encode(typed), pictographs::toCp932(cp)) << std::hex << unsigned(cp);
        }
    }
}

TEST(PictographEmoji, ReplacesEmojiInTextAndTakesTheirVariationSelectors) {
    using pictographs::replaceEmoji;
    EXPECT_EQ(replaceEmoji(u"晴れ☀です"), u"晴れ\uE63Eです");
    EXPECT_EQ(replaceEmoji(u"晴れ☀\uFE0Fです"), u"晴れ\uE63Eです");
    EXPECT_EQ(replaceEmoji(u"☀\uFE0E"), u"\uE63E");
    EXPECT_EQ(replaceEmoji(u"a\U0001F300b"), u"a\uE643b");
    EXPECT_EQ(replaceEmoji(u"1\u20E3"), u"\uE6E2");
    EXPECT_EQ(replaceEmoji(u"1\uFE0F\u20E3"), u"\uE6E2");
    EXPECT_EQ(replaceEmoji(u"#\uFE0F\u20E3!"), u"\uE6E0!");
    EXPECT_EQ(replaceEmoji(u"☀☀"), u"\uE63E\uE63E");
    EXPECT_EQ(replaceEmoji(u"\u2600\u2601"), u"\uE63E\uE63F");
}

TEST(PictographEmoji, LeavesEverythingElseAlone) {
    using pictographs::replaceEmoji;
    EXPECT_EQ(replaceEmoji(u""), u"");
    EXPECT_EQ(replaceEmoji(u"123 # *"), u"123 # *");
    EXPECT_EQ(replaceEmoji(u"件名①\uE63E\r\n本文"), u"件名①\uE63E\r\n本文");
    // Digits keep a variation selector that no keycap follows; the code page rule of
    // the fields decides about it.
    EXPECT_EQ(replaceEmoji(u"1\uFE0F"), u"1\uFE0F");
    // An emoji without a pictograph, a lone surrogate and a keycap mark on a letter.
    EXPECT_EQ(replaceEmoji(u"\U0001F600"), u"\U0001F600");
    const QString lone = QString(QChar(char16_t(0xD83C))) + QStringLiteral("x");
    EXPECT_EQ(replaceEmoji(lone), lone);
    EXPECT_EQ(replaceEmoji(u"A\u20E3"), u"A\u20E3");
    EXPECT_EQ(replaceEmoji(u"\u20E3"), u"\u20E3");
}
