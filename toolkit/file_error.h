#pragma once

#include <QString>
#include <stdexcept>

// A file that could not be read or written. Thrown by the logic and caught at the
// window's handler boundary, where the generic error report shows it and the rest
// of the handler is skipped.
class FileError : public std::runtime_error {
  public:
    enum class Kind { Open, Create, Delete };

    FileError(Kind kind, QString path, QString detail = {});

    Kind kind() const { return kind_; }
    const QString& path() const { return path_; }
    // What went wrong underneath (errno text); not shown to the user.
    const QString& detail() const { return detail_; }
    // The user-facing text: "ファイル <path> は開けません.", "ファイル <path> を作成できません."
    // or "ファイル <path> を削除できません.".
    QString message() const;

  private:
    Kind kind_;
    QString path_;
    QString detail_;
};
