// What the window and its dialogs share about the program itself: its name,
// its icon, and the way a folder or file name chosen in the window reaches
// the core's file routines.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <filesystem>

#include "stations/directory.h"

namespace kelvora::gui {

// The window's title and the caption of every message box.
inline constexpr const char* kProgramName = "Kelvora Win";
inline constexpr const char* kIconPath = ":/kelvora/kelvora.png";

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
