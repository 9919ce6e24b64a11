#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

// The media type an attachment is sent as, from its file name's extension.
namespace bsmtp {

// Lower-case extension (without the dot) to lower-case "type/subtype".
using MediaTypes = QHash<QByteArray, QByteArray>;

// The entries of a mime.types file: "type/subtype ext ext ...", '#' comments. Lines whose
// type is no valid token pair are skipped.
MediaTypes parseMimeTypes(QByteArrayView text);

// The system's table, /etc/mime.types, read once; empty when it is missing or unreadable.
const MediaTypes& systemMediaTypes();

// The type for `fileName`: from `table`, else from a small table of the types handsets show
// inline (pictures, 3GPP and MP4 video, ring tones), else "application/octet-stream".
QByteArray mediaTypeFor(QByteArrayView fileName, const MediaTypes& table);

}  // namespace bsmtp
