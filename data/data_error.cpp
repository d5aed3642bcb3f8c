#include "data_error.h"

QString DataError::message() const {
    return QStringLiteral("データファイルを扱えませんでした。\n%1").arg(path);
}
