#include "open_notice.h"

Notice openFailureNotice(const DataError &error) {
    const auto kind = error.kind == DataError::Kind::FileMissing ? Notice::Kind::Information
                                                                 : Notice::Kind::Warning;
    return {kind, error.message()};
}
