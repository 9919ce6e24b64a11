#include "history/history_text.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <vector>

#include "codepage/cp932_codec.h"
#include "toolkit/cp932.h"

namespace history_text {

namespace {

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc);
}

bool isLineSeparator(QChar c) {
    return c == QChar::LineSeparator || c == u'\n';
}

QList<QStringView> lines(QStringView text) {
    QList<QStringView> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isLineSeparator(text[i])) {
            out.append(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    out.append(text.sliced(start));
    return out;
}

constexpr qsizetype kSliceBytes = 1 << 20;

}  // namespace

Reader::Reader(QByteArray content) {
    // Cut from the end, the content shrinking behind each slice taken, so that the
    // slices never add up to a second copy.
    while (content.size() > kSliceBytes) {
        slices_.push_front(content.last(kSliceBytes));
        content.chop(kSliceBytes);
        content.squeeze();
    }
    window_ = std::move(content);
}

void Reader::fill() {
    while (window_.size() - pos_ <= kPieceBytes && !slices_.empty()) {
        window_ = window_.sliced(pos_) + slices_.front();
        slices_.pop_front();
        pos_ = 0;
    }
}

Piece Reader::next() {
    fill();
    Piece piece;
    piece.continues = midLine_;
    const qsizetype size = window_.size();
    const char* data = window_.constData();
    const qsizetype limit = std::min(size, pos_ + kPieceBytes);
    qsizetype end = -1;
    qsizetype next = -1;
    for (qsizetype k = limit - 1; k >= pos_; --k) {
        if (data[k] == '\n') {
            end = k > pos_ && data[k - 1] == '\r' ? k - 1 : k;
            next = k + 1;
            break;
        }
        if (data[k] == '\r') {
            end = k;
            next = k + 1 < size && data[k + 1] == '\n' ? k + 2 : k + 1;
            break;
        }
    }
    if (end >= 0) {
        midLine_ = false;
    } else if (limit == size) {
        end = next = size;
        done_ = true;
    } else {
        // A line longer than a piece: cut it between two characters.
        qsizetype i = pos_;
        while (i < limit) {
            const qsizetype step = isLeadByte(static_cast<unsigned char>(data[i])) ? 2 : 1;
            if (i + step > limit)
                break;
            i += step;
        }
        end = next = i;
        midLine_ = true;
    }

    // Every line break inside the piece becomes one '\n'.
    QByteArray bytes(end - pos_, Qt::Uninitialized);
    char* out = bytes.data();
    bool high = false;
    for (qsizetype i = pos_; i < end; ++i) {
        const char c = data[i];
        if (c == '\r') {
            *out++ = '\n';
            if (i + 1 < end && data[i + 1] == '\n')
                ++i;
        } else {
            high |= static_cast<unsigned char>(c) >= 0x80;
            *out++ = c;
        }
    }
    bytes.truncate(out - bytes.data());
    pos_ = next;

    std::optional<QString> strict = cp932_codec::decode(bytes);
    const bool lossless = strict && (!high || cp932_codec::encode(*strict) == bytes);
    piece.text = strict ? std::move(*strict) : cp932::decode(bytes);
    std::replace(piece.text.begin(), piece.text.end(), QChar(u'\n'), QChar(QChar::LineSeparator));
    if (!lossless)
        piece.kept = std::move(bytes);
    return piece;
}

QByteArray pieceBytes(QStringView text, const QByteArray& kept) {
    if (kept.isEmpty()) {
        return cp932::encode(cp932::toCrLf(text));
    }
    const QList<QStringView> now = lines(text);
    QList<QByteArray> before;
    QList<QString> beforeShown;
    if (!kept.isEmpty()) {
        before = kept.split('\n');
        for (const QByteArray& line : before)
            beforeShown.append(cp932::decode(line));
    }
    // The lines left as they were keep their bytes: the longest common run of lines
    // between the text read and the text now, in order. A piece holds a few thousand
    // bytes, so the table stays small.
    const qsizetype n = now.size();
    const qsizetype m = before.size();
    std::vector<size_t> nowHash(n);
    std::vector<size_t> beforeHash(m);
    for (qsizetype i = 0; i < n; ++i)
        nowHash[i] = qHash(now[i]);
    for (qsizetype j = 0; j < m; ++j)
        beforeHash[j] = qHash(beforeShown[j]);
    const auto same = [&](qsizetype i, qsizetype j) {
        return nowHash[i] == beforeHash[j] && now[i] == beforeShown[j];
    };
    std::vector<quint16> common(m > 0 ? (n + 1) * (m + 1) : 0);
    const auto at = [&](qsizetype i, qsizetype j) -> quint16& { return common[i * (m + 1) + j]; };
    for (qsizetype i = m > 0 ? n - 1 : -1; i >= 0; --i) {
        for (qsizetype j = m - 1; j >= 0; --j) {
            at(i, j) =
                same(i, j) ? quint16(at(i + 1, j + 1) + 1) : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype j = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0)
            out += "\r\n";
        while (j < m && !same(i, j) && at(i + 1, j) < at(i, j + 1))
            ++j;
        if (j < m && same(i, j)) {
            out += before[j++];
        } else {
            out += cp932::encode(now[i]);
        }
    }
    return out;
}

}  // namespace history_text
