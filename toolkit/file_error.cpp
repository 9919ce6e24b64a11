#include "toolkit/file_error.h"

FileError::FileError(Kind kind, QString path, QString detail)
    : std::runtime_error((kind == Kind::Open ? "cannot open " : "cannot create ") +
                         path.toStdString() +
                         (detail.isEmpty() ? std::string() : ": " + detail.toStdString())),
      kind_(kind),
      path_(std::move(path)),
      detail_(std::move(detail)) {}

QString FileError::message() const {
    return kind_ == Kind::Open ? QStringLiteral("ファイル %1 は開けません.").arg(path_)
                               : QStringLiteral("ファイル %1 を作成できません.").arg(path_);
}
