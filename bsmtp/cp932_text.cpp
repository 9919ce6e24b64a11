#include "bsmtp/cp932_text.h"

#include "codepage/cp932_codec.h"

namespace bsmtp {

namespace {

struct CellRange {
    int first;
    int last;
};

// The assigned cells of the non-kanji rows 1-8 of JIS X 0208.
bool nonKanjiAssigned(int row, int cell) {
    static constexpr CellRange row2[] = {{1, 14}, {26, 33}, {42, 48}, {60, 74}, {82, 89}, {94, 94}};
    static constexpr CellRange row3[] = {{16, 25}, {33, 58}, {65, 90}};
    static constexpr CellRange row6[] = {{1, 24}, {33, 56}};
    static constexpr CellRange row7[] = {{1, 33}, {49, 81}};
    auto inRanges = [cell](const auto& ranges) {
        for (const CellRange& r : ranges) {
            if (cell >= r.first && cell <= r.last) {
                return true;
            }
        }
        return false;
    };
    switch (row) {
        case 1:
            return true;
        case 2:
            return inRanges(row2);
        case 3:
            return inRanges(row3);
        case 4:
            return cell <= 83;
        case 5:
            return cell <= 86;
        case 6:
            return inRanges(row6);
        case 7:
            return inRanges(row7);
        case 8:
            return cell <= 32;
        default:
            return false;
    }
}

bool jisAssigned(int row, int cell) {
    if (row <= 8) {
        return nonKanjiAssigned(row, cell);
    }
    if (row >= 16 && row <= 46) {
        return true;
    }
    if (row == 47) {
        return cell <= 51;
    }
    if (row >= 48 && row <= 83) {
        return true;
    }
    if (row == 84) {
        return cell <= 6;
    }
    return false;
}

// The JIS X 0208 row and cell of a double-byte code, or false when it is none.
bool toJisRowCell(unsigned char lead, unsigned char trail, int& row, int& cell) {
    int rowPair;
    if (lead >= 0x81 && lead <= 0x9F) {
        rowPair = lead - 0x81;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        rowPair = lead - 0xC1;
    } else {
        return false;
    }
    if (trail >= 0x40 && trail <= 0x7E) {
        row = rowPair * 2 + 1;
        cell = trail - 0x3F;
    } else if (trail >= 0x80 && trail <= 0x9E) {
        row = rowPair * 2 + 1;
        cell = trail - 0x40;
    } else if (trail >= 0x9F && trail <= 0xFC) {
        row = rowPair * 2 + 2;
        cell = trail - 0x9E;
    } else {
        return false;
    }
    return jisAssigned(row, cell);
}

bool asciiFits(unsigned char b) {
    return b < 0x80 && b != 0x1B && b != 0x0E && b != 0x0F;
}

}  // namespace

qsizetype fitCharacters(QByteArrayView text, qsizetype maxBytes) {
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype len = charLengthAt(text, pos);
        if (pos + len > maxBytes) {
            break;
        }
        pos += len;
    }
    return pos;
}

QByteArray normalizeLineEnds(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

bool fitsIso2022Jp(QByteArrayView cp932) {
    return toIso2022Jp(cp932).has_value();
}

std::optional<QByteArray> toIso2022Jp(QByteArrayView cp932) {
    static constexpr char kToJis[] = "\x1b$B";
    static constexpr char kToAscii[] = "\x1b(B";
    QByteArray out;
    out.reserve(cp932.size() + 16);
    bool jisMode = false;
    qsizetype pos = 0;
    while (pos < cp932.size()) {
        const auto b = static_cast<unsigned char>(cp932[pos]);
        if (asciiFits(b)) {
            if (jisMode) {
                out += kToAscii;
                jisMode = false;
            }
            out += static_cast<char>(b);
            ++pos;
            continue;
        }
        int row = 0;
        int cell = 0;
        if (pos + 1 >= cp932.size() ||
            !toJisRowCell(b, static_cast<unsigned char>(cp932[pos + 1]), row, cell)) {
            return std::nullopt;
        }
        if (!jisMode) {
            out += kToJis;
            jisMode = true;
        }
        out += static_cast<char>(row + 0x20);
        out += static_cast<char>(cell + 0x20);
        pos += 2;
    }
    if (jisMode) {
        out += kToAscii;
    }
    return out;
}

std::optional<QString> decodeCp932(QByteArrayView cp932) {
    return cp932_codec::decode(cp932);
}

std::optional<QByteArray> encodeCp932(const QString& text) {
    return cp932_codec::encode(text);
}

}  // namespace bsmtp
