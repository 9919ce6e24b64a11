#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <deque>

// The send history as the history window's text holds it: pieces of a few thousand
// characters, each one text block, so that no block ever grows with the file or with
// the length of a line. Inside a piece, lines are separated by U+2028; a piece ends
// at a line break or, in a line longer than a piece, at a character boundary, and the
// next piece then continues that line.
namespace history_text {

constexpr qsizetype kPieceBytes = 4096;

struct Piece {
    QString text;
    // The piece's own bytes, lines separated by '\n', when its text would not encode
    // back to them (bytes that are no character, or a second code for one); else empty.
    QByteArray kept;
    // Starts in the middle of a line: no line break before it.
    bool continues = false;
};

// Splits file content into pieces; lone CR and lone LF count as line breaks, as CR LF.
// The content is held in slices, each let go once read, so that a big file and the
// text it becomes are never held whole at the same time.
class Reader {
  public:
    explicit Reader(QByteArray content);
    bool atEnd() const { return done_; }
    Piece next();

  private:
    // Makes a piece and the byte after it readable from `window_`, where there are so
    // many bytes left.
    void fill();

    std::deque<QByteArray> slices_;
    // The bytes being read: the rest of the slice before and the next slice.
    QByteArray window_;
    qsizetype pos_ = 0;
    bool midLine_ = false;
    bool done_ = false;
};

// The bytes of a piece's text as it stands now (lines separated by U+2028 or '\n'),
// CR LF between lines: the kept bytes for every line still shown as it was read, the
// encoded text for the lines changed in between.
QByteArray pieceBytes(QStringView text, const QByteArray& kept);

}  // namespace history_text
