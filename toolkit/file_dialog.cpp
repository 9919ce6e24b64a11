#include "toolkit/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace toolkit {
namespace {

FileDialogScript*& activeScript() {
    static FileDialogScript* script = nullptr;
    return script;
}

// "*.*" matches every file, also one without a dot in its name.
QString nameFilter(const FileFilter& f) {
    QString mask = f.mask;
    if (mask == QLatin1String("*.*"))
        mask = QStringLiteral("*");
    return f.caption + QStringLiteral(" (") + mask + QLatin1Char(')');
}

}  // namespace

std::optional<QString> openFileDialog(QWidget* parent, const FileDialogRequest& request) {
    if (FileDialogScript* script = FileDialogScript::active())
        return script->take(request);

    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // The captions name their masks already; the dialog shows them as written.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters;
    for (const FileFilter& f : request.filters)
        filters.append(nameFilter(f));
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    if (!request.preset.isEmpty()) {
        const QFileInfo info(request.preset);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

FileDialogScript::FileDialogScript() : previous_(activeScript()) {
    activeScript() = this;
}

FileDialogScript::~FileDialogScript() {
    activeScript() = previous_;
}

FileDialogScript* FileDialogScript::active() {
    return activeScript();
}

std::optional<QString> FileDialogScript::take(const FileDialogRequest& request) {
    shown_.append(request);
    if (answers_.isEmpty())
        return std::nullopt;
    return answers_.takeFirst();
}

}  // namespace toolkit
