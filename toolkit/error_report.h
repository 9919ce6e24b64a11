#pragma once

#include <new>
#include <stdexcept>
#include <utility>

#include "toolkit/file_error.h"

class QWidget;

namespace toolkit {

// The generic error report for a failure the program does not handle itself:
// caption "Mirvane", error icon, one OK button, the failure's text.
void reportError(QWidget* parent, const FileError& error);
// The same report for memory that ran out outside any file's reading.
void reportOutOfMemory(QWidget* parent);

// Runs one event handler; a FileError skips the rest of it and is reported, and the
// program goes on. So does memory that runs out: what the handler had taken is free
// again once it has been left, and the mail in the windows stays.
template <class F>
bool guarded(QWidget* parent, F&& handler) {
    try {
        std::forward<F>(handler)();
        return true;
    } catch (const FileError& e) {
        reportError(parent, e);
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(parent);
    } catch (const std::length_error&) {
        reportOutOfMemory(parent);
    }
    return false;
}

}  // namespace toolkit
