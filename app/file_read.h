#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads the whole file at `path`, following symbolic links. nullopt when nothing is
// there (also a link whose target is missing): the caller's missing-file case. A FIFO,
// a device, a socket or a directory is never read: opening a FIFO would wait for a
// writer and a device may never end, so they throw FileError(Open, path) like any
// file that cannot be opened or read. A file too big to hold in memory throws
// FileError(Open) too. A UTF-8 signature (EF BB BF) at the start is left out.
std::optional<QByteArray> readRegularFile(const QString& path);
