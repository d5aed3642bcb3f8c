#pragma once

#include "data_folder.h"

#include <QString>

// What the tests need of the operating system to make a fault real, written for each platform
// (test_platform_linux.cpp, test_platform_win.cpp). Where a platform has no such thing, the
// call does nothing and says so, and the row that needs it is skipped.

// Whether a process can be held to a file size limit (Windows has none).
#ifdef Q_OS_WIN
inline constexpr bool kFileSizeLimits = false;
#else
inline constexpr bool kFileSizeLimits = true;
#endif
// Sets the file size limit of this process, in bytes (-1: as high as it may go).
void limitFileSize(qint64 bytes);

// Root reads and writes past mode bits; without these overrides this thread is held to them
// like any other user. Whether that could be set.
bool setModeBitOverrides(bool on);
// Whether the file, folder or link (not followed) has these mode bits, or the platform keeps
// none (Windows).
bool hasMode(const QString &path, int mode);

// Closes the folder and the book in it to the user, or opens them again; false if the folder
// stays writable (under Wine, to root).
bool setClosed(const QString &folder, bool closed);

// Holds the book as another copy of the program adding to it would.
UniqueHandle holdAsAppending(const QString &path);

// A small disk of the test's own (64 KiB), for the faults of a full disk: a tmpfs mounted over
// the folder (as root), or the drive that wine-run.sh maps; the folder to use on it, empty if
// there is none. readOnly remounts the one mounted over the folder, where it can.
QString mountSmallDisk(const QString &folder, int serial);
bool remountReadOnly(const QString &folder);
void unmountSmallDisk(const QString &folder);
