// How a folder or file name chosen in a window reaches the core's file
// routines; shared by the main window and the windows it opens.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <filesystem>

#include "stations/directory.h"

namespace kelvora::gui {

// A file or folder name from the window as the core's file routines take it
// (in the encoding of the file system).
inline std::filesystem::path LocalPath(const QString& name) {
  return std::filesystem::path(QFile::encodeName(name).toStdString());
}

// The EME directory file in `folder`.
inline QString DirectoryFileIn(const QString& folder) {
  return QDir(folder).filePath(QString::fromLatin1(kDirectoryFileName));
}

}  // namespace kelvora::gui
