#include "open_notice.h"

Notice openFailureNotice(const DataError &error) {
    if (error.kind == DataError::Kind::FileMissing) {
        return {Notice::Kind::Information,
                QStringLiteral("住所録はまだ空です。\n"
                               "「登録」で最初の方を追加すると、「開く」で氏名が一覧に出ます。\n\n"
                               "ファイル: %1")
                    .arg(error.path)};
    }
    return {Notice::Kind::Warning, error.message()};
}
