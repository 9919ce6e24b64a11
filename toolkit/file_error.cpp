#include "toolkit/file_error.h"

FileError::FileError(Kind kind, QString path, QString detail)
    : std::runtime_error((kind == Kind::Open     ? "cannot open "
                          : kind == Kind::Create ? "cannot create "
                                                 : "cannot delete ") +
                         path.toStdString() +
                         (detail.isEmpty() ? std::string() : ": " + detail.toStdString())),
      kind_(kind),
      path_(std::move(path)),
      detail_(std::move(detail)) {}

QString FileError::message() const {
    switch (kind_) {
        case Kind::Open:
            return QStringLiteral("ファイル %1 は開けません.").arg(path_);
        case Kind::Create:
            return QStringLiteral("ファイル %1 を作成できません.").arg(path_);
        case Kind::Delete:
            break;
    }
    return QStringLiteral("ファイル %1 を削除できません.").arg(path_);
}
