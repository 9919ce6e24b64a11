#pragma once

#include <utility>

#include "toolkit/file_error.h"

class QWidget;

namespace toolkit {

// The generic error report for a failure the program does not handle itself:
// caption "Mirvane", error icon, one OK button, the failure's text.
void reportError(QWidget* parent, const FileError& error);

// Runs one event handler; a FileError skips the rest of it and is reported, and the
// program goes on.
template <class F>
bool guarded(QWidget* parent, F&& handler) {
    try {
        std::forward<F>(handler)();
        return true;
    } catch (const FileError& e) {
        reportError(parent, e);
        return false;
    }
}

}  // namespace toolkit
