#pragma once

#include <QLocale>
#include <QString>

// The one attached file: its name, its size and the attachment panel's texts.
namespace attachment {

// The part of the path after its last "/".
QString fileName(const QString& path);

// Size in bytes of what is at `path`: a directory or nothing counts 0. Files of
// 2 GiB and more keep their true size.
qint64 sizeOf(const QString& path);

// "添付：なし".
QString noneText();
// After the file dialog: "添付：name (12,345ﾊﾞｲﾄ)", digits grouped with the locale's
// separator, no digit for 0.
QString dialogText(const QString& path, qint64 size, const QLocale& locale = QLocale::system());
// After a drop: "添付：name (12345ﾊﾞｲﾄ)".
QString dropText(const QString& path, qint64 size);

// A dropped path as it is taken: at most 254 bytes of code page 932, whole characters.
QString droppedPath(const QString& path);

// Whether the path's every character has a code page 932 form, so that the mail can
// carry its name.
bool nameFitsCodePage(const QString& path);

// Why a path cannot be attached, naming the part at fault (the file's name or the
// folders it lies in); empty when it can.
QString refusalText(const QString& path);

}  // namespace attachment
