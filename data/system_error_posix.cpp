#include "system_error.h"

#include <cerrno>

QString systemErrorText(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが許可されていません。アクセス権を確かめてください。");
    case EROFS:
        return QStringLiteral("読み取り専用の場所です。");
    case ENOENT:
        return QStringLiteral("見つかりません。");
    case ENOTDIR:
        return QStringLiteral("途中にフォルダーではないものがあります。");
    case EEXIST:
        return QStringLiteral("同じ名前のファイルがすでにあります。");
    case EISDIR:
        return QStringLiteral("ファイルではなく、フォルダーです。");
    case ENOSPC:
        return QStringLiteral("ディスクに空きがありません。");
    case EDQUOT:
        return QStringLiteral("ディスクの使用量の上限に達しています。");
    case EFBIG:
    case EOVERFLOW:
        return QStringLiteral("ファイルの大きさの上限を超えます。");
    case EIO:
        return QStringLiteral("ディスクの読み書きでエラーが起きました。"
                              "ディスクに問題がないか確かめてください。");
    case EUCLEAN:
        return QStringLiteral("ファイルシステムが壊れています。ディスクを検査してください。");
    case ENAMETOOLONG:
        return QStringLiteral("場所の名前が長すぎます。");
    case ELOOP:
        return QStringLiteral("シンボリックリンクが多すぎるか、循環しています。");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます。"
                              "ほかのプログラムを終了してから、もう一度お試しください。");
    case ENOMEM:
        return QStringLiteral("メモリが足りません。"
                              "ほかのプログラムを終了してから、もう一度お試しください。");
    case EAGAIN: // a lease or a mandatory lock held by another program
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("ほかのプログラムがこのファイルを使用中です。"
                              "そのプログラムを終了してから、もう一度お試しください。");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("ファイルではないもの（パイプや装置など）です。");
    case ENOMEDIUM:
        return QStringLiteral("ディスクが入っていません。");
    case EINVAL:
    case EOPNOTSUPP:
    case ENOLCK:
        return QStringLiteral("この場所のファイルシステムでは、この操作ができません。");
    case ESTALE:
    case ETIMEDOUT:
    case ENOTCONN:
    case ECONNREFUSED:
    case ECONNRESET:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case EREMOTEIO:
        return QStringLiteral("ネットワーク上の場所との接続が切れています。"
                              "接続を確かめてから、もう一度お試しください。");
    default:
        return QStringLiteral("予期しないエラーが起きました（エラーコード %1）。").arg(code);
    }
}

DataError systemFailure(DataError::Kind kind, const QString &path, int code) {
    using Kind = DataError::Kind;
    if (kind == Kind::WriteFailed || kind == Kind::CannotOpen) {
        if (code == ENOSPC || code == EDQUOT)
            kind = Kind::DiskFull;
        else if (code == EFBIG)
            kind = Kind::FileSizeLimit;
    }
    return DataError{.kind = kind, .path = path, .detail = systemErrorText(code)};
}
