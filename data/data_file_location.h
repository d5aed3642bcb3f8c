#pragma once

#include "data_file.h"

#include <QString>

// The one fixed place of the data file on this platform, and whether its folder is
// the program's own to create.
struct DataFileLocation {
    QString path;
    FolderCreation folders;
};

DataFileLocation jushoDataFileLocation();
