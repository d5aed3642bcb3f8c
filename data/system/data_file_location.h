#pragma once

#include "data_error.h"

#include <QString>

#include <optional>

enum class FolderCreation {
    MustExist,       // the folder is not the program's own: never create it
    CreateOwnFolder, // the per-user data folder is the program's own: create it (0700)
};

// Where the data file is, and whether its folder is the program's own to create.
struct DataFileLocation {
    QString path;
    FolderCreation folders = FolderCreation::MustExist;
    // Where the user's own copy is kept when the file's folder is not the user's to write (on
    // Windows, under C:\Program Files, as Windows itself kept it for earlier versions); read
    // and added to whenever it exists (user_copy.h). Empty: none.
    QString userCopy = {};
    // Why no place could be found for it (the environment names none that can be used), told
    // at every open and every append.
    std::optional<DataError> unusable = {};
};

// The one fixed place of the data file on this platform.
DataFileLocation jushoDataFileLocation();
