#include "toolkit/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "toolkit/cp932.h"

namespace toolkit::clipboard {

bool hasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText() && !data->text().isEmpty();
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
