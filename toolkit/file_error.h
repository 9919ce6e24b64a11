#pragma once

#include <QString>
#include <new>
#include <stdexcept>
#include <utility>

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

// Runs `read`, which loads the file at `path` into memory. A file too big to hold
// (memory runs out, or a size no container can take) is a file that cannot be read:
// FileError(Open), so that the program goes on without it and never writes over it.
template <class F>
decltype(auto) readingFile(const QString& path, F&& read) {
    try {
        return std::forward<F>(read)();
    } catch (const std::bad_alloc&) {
        // The memory of the half-done read is free again here.
        throw FileError(FileError::Kind::Open, path, QStringLiteral("too big to hold in memory"));
    } catch (const std::length_error&) {
        throw FileError(FileError::Kind::Open, path, QStringLiteral("too big to hold in memory"));
    }
}
