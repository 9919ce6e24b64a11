#pragma once

#include <QByteArrayView>
#include <QString>

// Replaces the file at `path` by `data` so that the file is always either wholly
// old or wholly new: a temporary file in the same directory, every write checked,
// fdatasync, rename over the old file, directory synced.
//
// - A chain of symbolic links is followed to its end: the last target gets the new
//   content and the links stay links; a dangling link's target is created.
// - A new file is private to its owner (0600); an existing file keeps its permission
//   bits. A file its owner may not write (made read-only) is never replaced.
// - A directory where no file can be created refuses the save, also for a file that
//   is writable itself: the file is never rewritten in place.
// - Temporary files left behind by an earlier save that was killed are removed once
//   the process that made them is gone; a second running copy's are left alone.
// - Once the rename has succeeded the new file stands: a failing directory sync is
//   only said on stderr.
//
// Throws FileError(Create, path) on any failure before that; the old file is then
// unchanged and no temporary file is left behind.
void atomicSave(const QString& path, QByteArrayView data);
