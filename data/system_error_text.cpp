#include "system_error_text.h"

#include <cerrno>

QString systemErrorText(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが許可されていません");
    case EROFS:
        return QStringLiteral("読み取り専用の場所です");
    case ENOENT:
        return QStringLiteral("見つかりません");
    case ENOTDIR:
        return QStringLiteral("途中にフォルダではないものがあります");
    case EEXIST:
        return QStringLiteral("同じ名前のファイルがすでにあります");
    case EISDIR:
        return QStringLiteral("フォルダです");
    case ENOSPC:
        return QStringLiteral("ディスクに空きがありません");
    case EDQUOT:
        return QStringLiteral("ディスク使用量の上限に達しました");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます");
    case EIO:
        return QStringLiteral("ディスクの読み書きでエラーが起きました");
    case ENAMETOOLONG:
        return QStringLiteral("名前が長すぎます");
    case ELOOP:
        return QStringLiteral("シンボリックリンクが循環しています");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます");
    case ENOMEM:
        return QStringLiteral("メモリが足りません");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("ほかのプログラムが使用中です");
    case ENXIO:
        return QStringLiteral("ファイルではないもの（パイプなど）です");
    case ESTALE:
        return QStringLiteral("ネットワーク上のファイルとの接続が切れています");
    default:
        return QStringLiteral("%1（エラー番号 %2）").arg(qt_error_string(code)).arg(code);
    }
}
