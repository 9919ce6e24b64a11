#include "sending/attachment.h"

#include <QFileInfo>

#include "toolkit/cp932.h"

namespace attachment {

QString fileName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

qint64 sizeOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return 0;
    return info.size();
}

QString noneText() {
    return QStringLiteral("添付：なし");
}

QString dialogText(const QString& path, qint64 size, const QLocale& locale) {
    // "#,##": grouped digits, and none at all for 0.
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    const QString digits = size == 0 ? QString() : grouped.toString(size);
    return QStringLiteral("添付：") + fileName(path) + QStringLiteral(" (") + digits +
           QStringLiteral("ﾊﾞｲﾄ)");
}

QString dropText(const QString& path, qint64 size) {
    return QStringLiteral("添付：") + fileName(path) + QStringLiteral(" (") +
           QString::number(size) + QStringLiteral("ﾊﾞｲﾄ)");
}

QString droppedPath(const QString& path) {
    return cp932::fitPrefix(path, 254);
}

bool nameFitsCodePage(const QString& path) {
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c.isSurrogate() || !cp932::canEncode(c.unicode()))
            return false;
    }
    return true;
}

QString refusalText(const QString& path) {
    if (nameFitsCodePage(path))
        return {};
    if (!nameFitsCodePage(fileName(path)))
        return QStringLiteral(
            "このファイル名には送信できない文字が含まれています。\r\n"
            "ファイル名を変えてから添付して下さい。");
    return QStringLiteral(
        "このファイルのあるフォルダの名前には送信できない文字が含まれています。\r\n"
        "ファイルを別のフォルダに移してから添付して下さい。");
}

}  // namespace attachment
