#pragma once

#include <QList>
#include <QString>
#include <optional>

class QWidget;

// The file-open dialog. Tests answer it in advance through FileDialogScript.
namespace toolkit {

struct FileFilter {
    QString caption;  // "全てのファイル(*.*)"
    QString mask;     // "*.*"
};

struct FileDialogRequest {
    QString preset;  // the path the dialog opens on
    QList<FileFilter> filters;
    bool mustExist = true;
};

// The chosen path, or nullopt when the user cancelled. The first filter is selected.
std::optional<QString> openFileDialog(QWidget* parent, const FileDialogRequest& request);

// While one exists, the dialog is not shown: each takes the next queued answer
// (nullopt: cancel) and is recorded. With no answer left it cancels.
class FileDialogScript {
  public:
    FileDialogScript();
    ~FileDialogScript();
    FileDialogScript(const FileDialogScript&) = delete;
    FileDialogScript& operator=(const FileDialogScript&) = delete;

    void answer(std::optional<QString> path) { answers_.append(std::move(path)); }
    const QList<FileDialogRequest>& shown() const { return shown_; }

    static FileDialogScript* active();
    std::optional<QString> take(const FileDialogRequest& request);

  private:
    QList<std::optional<QString>> answers_;
    QList<FileDialogRequest> shown_;
    FileDialogScript* previous_;
};

}  // namespace toolkit
