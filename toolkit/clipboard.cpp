#include "toolkit/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "toolkit/cp932.h"

namespace toolkit::clipboard {

// Text it holds, empty text included; a list of URLs alone is no text.
bool hasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return false;
    for (const QString& format : data->formats()) {
        if (format.startsWith(QLatin1String("text/plain")))
            return true;
    }
    return false;
}

QString text() {
    return cp932::toCrLf(cp932::toLf(QGuiApplication::clipboard()->text()));
}

// The desktop's clipboard holds LF line breaks.
void setText(const QString& text) {
    QGuiApplication::clipboard()->setText(cp932::toLf(text));
}

void clear() {
    QGuiApplication::clipboard()->clear();
}

}  // namespace toolkit::clipboard
