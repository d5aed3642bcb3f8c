#include "data_file_location.h"

DataFileLocation jushoDataFileLocation() {
    return {QStringLiteral("C:\\Program Files\\Pellinova\\Tovrin.txt"), FolderCreation::MustExist};
}
