#include "codepage/pictograph_table.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <array>
#include <vector>

namespace pictographs {
namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// The codes of each tab; between them they leave out the codes no handset used.
constexpr Range kTab1[] = {{0xE63E, 0xE697}};
constexpr Range kTab2[] = {
    {0xE698, 0xE6A5}, {0xE6AC, 0xE6AE}, {0xE6B1, 0xE6B3}, {0xE6B7, 0xE6BA}, {0xE6CE, 0xE70B}};
constexpr Range kTab3[] = {{0xE70C, 0xE757}};

// One pictograph of each tab shown after the circled digit.
constexpr char16_t kTabPictograph[kTabCount] = {0xE694, 0xE6F0, 0xE754};

struct ColourList {
    std::uint32_t rgb;
    const char* codes;  // code points and inclusive ranges, as in the palette's design
};

const ColourList kColours[] = {
    {0x000000,
     "E653 E656 E659 E65E E66D-E66F E676-E678 E67C E67F E681 E687-E688 E68B E68E E690-E691 "
     "E696-E697 E699-E69A E69C-E6A0 E6A5 E6AC-E6AE E6B1-E6B3 E6B7-E6BA E6CE-E6D0 E6D3-E6D5 "
     "E6DF-E6EB E6FC E6FE E706-E70A E70F E716 E718 E71C-E71D E71F E725 E731-E733 E736 "
     "E73C-E73D E749"},
    {0xFF0000,
     "E63E E643 E646 E64A E64E E660 E663 E665-E666 E668 E674 E67D E680 E682 E684-E686 E68D "
     "E68F E6D6-E6DB E6DD-E6DE E6EC-E6EF E6F1 E6F5-E6F7 E6F9 E6FD E6FF E702 E704-E705 E70B "
     "E710 E717 E724 E728 E72F E734 E738 E73A-E73B E742-E743 E745 E747 E74A"},
    {0x0000FF,
     "E63F-E641 E644-E645 E649 E64D E651 E654 E657 E65D E661-E662 E664 E66A E66C E675 E67A "
     "E68A E68C E69B E6A3 E6DC E6F2 E6F4 E700-E701 E70E E712 E722-E723 E72D-E72E E730 E739 "
     "E73F-E740 E751"},
    {0xFDA90A,
     "E642 E647 E64B E64F E658 E65C E672-E673 E679 E67E E683 E689 E692-E695 E698 E6A1-E6A2 "
     "E6D1-E6D2 E6FA-E6FB E70C-E70D E713 E71A E727 E72C E737 E744 E74C E74F E752-E753 E755"},
    {0x008000,
     "E648 E64C E650 E655 E65B E65F E669 E670 E6A4 E6F3 E719 E71E E720 E735 E73E E741 E746"},
    {0xFF00FF, "E652 E65A E667 E66B E671 E67B E6F0 E6F8 E703 E71B E721 E726 E729-E72A E748"},
    {0x800000, "E714-E715 E74B E74D-E74E E754"},
    {0x000080, "E711 E72B E750"},
    {0x800080, "E756-E757"},
};

// Colour of every code point from kFirst to kLast, parsed once from the lists above.
const std::array<std::uint32_t, kLast - kFirst + 1>& colourTable() {
    static const auto table = [] {
        std::array<std::uint32_t, kLast - kFirst + 1> t{};
        for (const ColourList& list : kColours) {
            const QStringList items = QString::fromLatin1(list.codes).split(u' ');
            for (const QString& item : items) {
                const QStringList ends = item.split(u'-');
                const char32_t first = ends.front().toUInt(nullptr, 16);
                const char32_t last = ends.back().toUInt(nullptr, 16);
                for (char32_t cp = first; cp <= last; ++cp)
                    t[cp - kFirst] = list.rgb;
            }
        }
        return t;
    }();
    return table;
}

std::vector<char32_t> expand(std::span<const Range> ranges) {
    std::vector<char32_t> codes;
    for (const Range& r : ranges) {
        for (char32_t cp = r.first; cp <= r.last; ++cp)
            codes.push_back(cp);
    }
    return codes;
}

const std::array<std::vector<char32_t>, kTabCount>& tabs() {
    static const std::array<std::vector<char32_t>, kTabCount> t = {expand(kTab1), expand(kTab2),
                                                                   expand(kTab3)};
    return t;
}

struct EmojiEntry {
    char32_t pictograph;
    char32_t emoji[2];
};

// Built from Unicode's mapping of the carrier's codes to standard emoji; see the
// generator named in the file.
constexpr EmojiEntry kEmoji[] = {
#include "codepage/pictograph_emoji_table.inc"
};

std::u32string_view emojiView(const EmojiEntry& e) {
    return {e.emoji, e.emoji[1] == 0 ? 1u : 2u};
}

// Key of an emoji of one or two code points (21 bits each).
quint64 emojiKey(std::u32string_view emoji) {
    if (emoji.empty() || emoji.size() > 2)
        return 0;
    const quint64 second = emoji.size() == 2 ? emoji[1] : 0;
    return (quint64(emoji[0]) << 21) | second;
}

const QHash<quint64, char32_t>& emojiIndex() {
    static const QHash<quint64, char32_t> index = [] {
        QHash<quint64, char32_t> h;
        for (const EmojiEntry& e : kEmoji)
            h.insert(emojiKey(emojiView(e)), e.pictograph);
        return h;
    }();
    return index;
}

bool isVariationSelector(char32_t c) {
    return c == 0xFE0E || c == 0xFE0F;
}

constexpr char32_t kKeycap = 0x20E3;

// Code point at `i` of `text` and the number of UTF-16 units it takes.
std::pair<char32_t, qsizetype> codePointAt(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text[i + 1].unicode())) {
        return {QChar::surrogateToUcs4(c, text[i + 1].unicode()), 2};
    }
    return {c, 1};
}

}  // namespace

QByteArray toCp932(char32_t cp) {
    if (cp < 0xE000 || cp > kLast)
        return {};
    const unsigned n = cp - 0xE000;
    const unsigned index = n % 188;
    // Trail bytes run 40-7E, then 80-FC: 7F is never a trail byte.
    const unsigned trail = index < 0x3F ? 0x40 + index : 0x41 + index;
    QByteArray bytes(2, '\0');
    bytes[0] = char(0xF0 + n / 188);
    bytes[1] = char(trail);
    return bytes;
}

char32_t fromCp932(QByteArrayView code) {
    if (code.size() != 2)
        return 0;
    const auto lead = std::uint8_t(code[0]);
    const auto trail = std::uint8_t(code[1]);
    if (lead < 0xF0 || lead > 0xF9)
        return 0;
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
        return 0;
    const unsigned index = trail < 0x80 ? trail - 0x40 : trail - 0x41;
    return 0xE000 + (lead - 0xF0) * 188 + index;
}

std::span<const char32_t> tabCodes(int tab) {
    if (tab < 0 || tab >= kTabCount)
        return {};
    return tabs()[std::size_t(tab)];
}

QString tabCaption(int tab) {
    if (tab < 0 || tab >= kTabCount)
        return {};
    QString caption(QChar(char16_t(u'①' + tab)));
    caption.append(QChar(kTabPictograph[tab]));
    return caption;
}

bool isPictograph(char32_t cp) {
    for (const auto& codes : tabs()) {
        if (std::binary_search(codes.begin(), codes.end(), cp))
            return true;
    }
    return false;
}

std::uint32_t colour(char32_t cp) {
    if (cp < kFirst || cp > kLast)
        return 0x000000;
    return colourTable()[cp - kFirst];
}

char32_t forEmoji(std::u32string_view emoji) {
    const quint64 key = emojiKey(emoji);
    return key == 0 ? 0 : emojiIndex().value(key, 0);
}

QString spokenName(char32_t pictograph) {
    struct Name {
        char32_t pictograph;
        const char16_t* name;
    };
    static constexpr Name kNames[] = {
#include "pictograph_names.inc"
    };
    for (const Name& n : kNames) {
        if (n.pictograph == pictograph)
            return QString::fromUtf16(n.name);
    }
    return {};
}

std::u32string_view emojiOf(char32_t pictograph) {
    for (const EmojiEntry& e : kEmoji) {
        if (e.pictograph == pictograph)
            return emojiView(e);
    }
    return {};
}

QString replaceEmoji(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const auto [cp, units] = codePointAt(text, i);
        qsizetype end = i + units;
        char32_t found = 0;
        // A keycap: the key, perhaps a variation selector, then the keycap mark.
        qsizetype mark = end;
        if (mark < text.size() && isVariationSelector(text[mark].unicode()))
            ++mark;
        if (mark < text.size() && text[mark].unicode() == kKeycap) {
            const char32_t seq[2] = {cp, kKeycap};
            found = forEmoji({seq, 2});
            if (found)
                end = mark + 1;
        }
        if (!found)
            found = forEmoji({&cp, 1});
        if (!found) {
            out.append(text.mid(i, units));
            i += units;
            continue;
        }
        if (end < text.size() && isVariationSelector(text[end].unicode()))
            ++end;
        out.append(QChar(char16_t(found)));
        i = end;
    }
    return out;
}

}  // namespace pictographs
