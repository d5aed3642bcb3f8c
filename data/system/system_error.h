#pragma once

#include "data_error.h"

#include <QString>

#include <optional>

// The reasons for a failure that the program tells in its own words.
enum class SystemReason {
    AccessDenied,
    ReadOnly,
    WriteProtected,
    NotFound,
    NotAFolderOnTheWay,
    AlreadyExists,
    IsAFolder,
    DiskFull,
    QuotaExceeded,
    FileTooLarge,
    DiskError,
    FileSystemDamaged,
    NameTooLong,
    InvalidName,
    TooManyLinks,
    TooManyOpenFiles,
    OutOfMemory,
    InUse,
    NotAFile,
    NoMedium,
    Unsupported,
    NetworkLost,
    Antivirus,
    EncryptionLocked,
};

// The reason an error code of this platform stands for (errno, or GetLastError() on Windows);
// nothing for a code the program does not know.
std::optional<SystemReason> reasonFor(int code);

// The system's own name for a code the program has no words for ("ENOKEY"; on Windows, its
// own description where it has one in Japanese), with its number.
QString codeName(int code);

// A failure of the given kind at the path, for the reason the code gives. An open or a write
// that failed for want of disk space or past the file size limit is told as that.
DataError systemFailure(DataError::Kind kind, const QString &path, int code);
