#include "toolkit/error_report.h"

#include "toolkit/message_box.h"

namespace toolkit {

void reportError(QWidget* parent, const FileError& error) {
    plainBox(parent, error.message(), QStringLiteral("Mirvane"), Icon::Error, {Button::Ok});
}

void reportOutOfMemory(QWidget* parent) {
    plainBox(parent, QStringLiteral("メモリが足りません."), QStringLiteral("Mirvane"), Icon::Error,
             {Button::Ok});
}

}  // namespace toolkit
