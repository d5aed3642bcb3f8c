#pragma once

#include <QString>

enum class FolderCreation {
    MustExist,       // the folder is not the program's own: never create it
    CreateOwnFolder, // the per-user data folder is the program's own: create it (0700)
};

// Where the data file is, and whether its folder is the program's own to create.
struct DataFileLocation {
    QString path;
    FolderCreation folders = FolderCreation::MustExist;
};

// The one fixed place of the data file on this platform.
DataFileLocation jushoDataFileLocation();
