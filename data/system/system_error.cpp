#include "system_error.h"

namespace {

QString textFor(std::optional<SystemReason> reason, int code) {
    if (!reason)
        return QStringLiteral("システムが予期しないエラー（%1）を返しました。もう一度お試し"
                              "ください。同じエラーが続くときは、コンピューターを再起動するか、"
                              "このエラーの名前を添えて管理者に相談してください。")
            .arg(codeName(code));
    switch (*reason) {
    case SystemReason::AccessDenied:
        return QStringLiteral("アクセスが許可されていません。アクセス権を確かめてください。");
    case SystemReason::ReadOnly:
        return QStringLiteral("読み取り専用の場所です。");
    case SystemReason::WriteProtected:
        return QStringLiteral("書き込みが禁止されたディスクです。");
    case SystemReason::NotFound:
        return QStringLiteral("見つかりません。");
    case SystemReason::NotAFolderOnTheWay:
        return QStringLiteral("途中にフォルダーではないものがあります。");
    case SystemReason::AlreadyExists:
        return QStringLiteral("同じ名前のファイルがすでにあります。");
    case SystemReason::IsAFolder:
        return QStringLiteral("ファイルではなく、フォルダーです。");
    case SystemReason::DiskFull:
        return QStringLiteral("ディスクに空きがありません。");
    case SystemReason::QuotaExceeded:
        return QStringLiteral("ディスクの使用量の上限に達しています。");
    case SystemReason::FileTooLarge:
        return QStringLiteral("ファイルの大きさの上限を超えます。");
    case SystemReason::DiskError:
        return QStringLiteral("ディスクの読み書きでエラーが起きました。"
                              "ディスクに問題がないか確かめてください。");
    case SystemReason::FileSystemDamaged:
        return QStringLiteral("ファイルシステムが壊れています。ディスクを検査してください。");
    case SystemReason::NameTooLong:
        return QStringLiteral("場所の名前が長すぎます。");
    case SystemReason::InvalidName:
        return QStringLiteral("場所の名前に使えない文字が含まれています。");
    case SystemReason::TooManyLinks:
        return QStringLiteral("シンボリックリンクが多すぎるか、循環しています。");
    case SystemReason::TooManyOpenFiles:
        return QStringLiteral("開いているファイルが多すぎます。"
                              "ほかのプログラムを終了してから、もう一度お試しください。");
    case SystemReason::OutOfMemory:
        return QStringLiteral("メモリが足りません。"
                              "ほかのプログラムを終了してから、もう一度お試しください。");
    case SystemReason::InUse:
        return QStringLiteral("ほかのプログラムがこのファイルを使用中です。"
                              "そのプログラムを終了してから、もう一度お試しください。");
    case SystemReason::NotAFile:
        return QStringLiteral("ファイルではないもの（パイプや装置など）です。");
    case SystemReason::NoMedium:
        return QStringLiteral("ディスクが入っていません。");
    case SystemReason::Unsupported:
        return QStringLiteral("この場所のファイルシステムでは、この操作ができません。");
    case SystemReason::NetworkLost:
        return QStringLiteral("ネットワーク上の場所との接続が切れています。"
                              "接続を確かめてから、もう一度お試しください。");
    case SystemReason::Antivirus:
        return QStringLiteral("ウイルス対策ソフトがこのファイルへのアクセスを止めています。");
    case SystemReason::EncryptionLocked:
        return QStringLiteral("暗号化された場所のロックが解除されていないため、使えません。"
                              "ロックを解除してから、もう一度お試しください。");
    }
    return {};
}

} // namespace

DataError systemFailure(DataError::Kind kind, const QString &path, int code) {
    using Kind = DataError::Kind;
    const std::optional<SystemReason> reason = reasonFor(code);
    if (reason && (kind == Kind::WriteFailed || kind == Kind::CannotOpen)) {
        if (*reason == SystemReason::DiskFull || *reason == SystemReason::QuotaExceeded)
            kind = Kind::DiskFull;
        else if (*reason == SystemReason::FileTooLarge)
            kind = Kind::FileSizeLimit;
    }
    return DataError{.kind = kind, .path = path, .detail = textFor(reason, code)};
}
