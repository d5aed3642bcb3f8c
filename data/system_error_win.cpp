#include "system_error.h"

#include <windows.h>

namespace {
// Codes that MinGW's headers do not name.
constexpr DWORD kDiskQuotaExceeded = 1295;
constexpr DWORD kVirusInfected = 225;
constexpr DWORD kVirusDeleted = 226;
} // namespace

QString systemErrorText(int code) {
    switch (DWORD(code)) {
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return QStringLiteral("アクセスが許可されていません。アクセス権を確かめてください。");
    case ERROR_WRITE_PROTECT:
        return QStringLiteral("書き込みが禁止されたディスクです。");
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("見つかりません。");
    case ERROR_DIRECTORY:
        return QStringLiteral("途中にフォルダーではないものがあります。");
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return QStringLiteral("同じ名前のファイルがすでにあります。");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return QStringLiteral("ディスクに空きがありません。");
    case kDiskQuotaExceeded:
        return QStringLiteral("ディスクの使用量の上限に達しています。");
    case ERROR_FILE_TOO_LARGE:
        return QStringLiteral("ファイルの大きさの上限を超えます。");
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
        return QStringLiteral("ディスクの読み書きでエラーが起きました。"
                              "ディスクに問題がないか確かめてください。");
    case ERROR_FILE_CORRUPT:
    case ERROR_DISK_CORRUPT:
        return QStringLiteral("ファイルシステムが壊れています。ディスクを検査してください。");
    case ERROR_FILENAME_EXCED_RANGE:
        return QStringLiteral("場所の名前が長すぎます。");
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return QStringLiteral("場所の名前に使えない文字が含まれています。");
    case ERROR_CANT_RESOLVE_FILENAME:
        return QStringLiteral("シンボリックリンクが多すぎるか、循環しています。");
    case ERROR_TOO_MANY_OPEN_FILES:
        return QStringLiteral("開いているファイルが多すぎます。"
                              "ほかのプログラムを終了してから、もう一度お試しください。");
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
        return QStringLiteral("メモリが足りません。"
                              "ほかのプログラムを終了してから、もう一度お試しください。");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return QStringLiteral("ほかのプログラムがこのファイルを使用中です。"
                              "そのプログラムを終了してから、もう一度お試しください。");
    case ERROR_NOT_READY:
        return QStringLiteral("ディスクが入っていません。");
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_PARAMETER:
        return QStringLiteral("この場所のファイルシステムでは、この操作ができません。");
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NETWORK_BUSY:
    case ERROR_SEM_TIMEOUT:
        return QStringLiteral("ネットワーク上の場所との接続が切れています。"
                              "接続を確かめてから、もう一度お試しください。");
    case kVirusInfected:
    case kVirusDeleted:
        return QStringLiteral("ウイルス対策ソフトがこのファイルへのアクセスを止めています。");
    default:
        return QStringLiteral("予期しないエラーが起きました（エラーコード %1）。").arg(code);
    }
}

DataError systemFailure(DataError::Kind kind, const QString &path, int code) {
    using Kind = DataError::Kind;
    if (kind == Kind::WriteFailed || kind == Kind::CannotOpen) {
        switch (DWORD(code)) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case kDiskQuotaExceeded:
            kind = Kind::DiskFull;
            break;
        case ERROR_FILE_TOO_LARGE:
            kind = Kind::FileSizeLimit;
            break;
        default:
            break;
        }
    }
    return DataError{.kind = kind, .path = path, .detail = systemErrorText(code)};
}
