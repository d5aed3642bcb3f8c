#include "system_error.h"

#include <windows.h>

namespace {
// Codes that MinGW's headers do not name.
constexpr DWORD kDiskQuotaExceeded = 1295;
constexpr DWORD kVirusInfected = 225;
constexpr DWORD kVirusDeleted = 226;
} // namespace

std::optional<SystemReason> reasonFor(int code) { // GetLastError()
    using Reason = SystemReason;
    switch (DWORD(code)) {
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return Reason::AccessDenied;
    case ERROR_WRITE_PROTECT:
        return Reason::WriteProtected;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return Reason::NotFound;
    case ERROR_DIRECTORY:
        return Reason::NotAFolderOnTheWay;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return Reason::AlreadyExists;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Reason::DiskFull;
    case kDiskQuotaExceeded:
        return Reason::QuotaExceeded;
    case ERROR_FILE_TOO_LARGE:
        return Reason::FileTooLarge;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
        return Reason::DiskError;
    case ERROR_FILE_CORRUPT:
    case ERROR_DISK_CORRUPT:
        return Reason::FileSystemDamaged;
    case ERROR_FILENAME_EXCED_RANGE:
        return Reason::NameTooLong;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return Reason::InvalidName;
    case ERROR_CANT_RESOLVE_FILENAME:
        return Reason::TooManyLinks;
    case ERROR_TOO_MANY_OPEN_FILES:
        return Reason::TooManyOpenFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
        return Reason::OutOfMemory;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return Reason::InUse;
    case ERROR_NOT_READY:
        return Reason::NoMedium;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_PARAMETER:
    case ERROR_CALL_NOT_IMPLEMENTED:
        return Reason::Unsupported;
    case ERROR_ENCRYPTION_FAILED:
    case ERROR_FILE_ENCRYPTED:
    case ERROR_NO_RECOVERY_POLICY:
        return Reason::EncryptionLocked;
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NETWORK_BUSY:
    case ERROR_SEM_TIMEOUT:
        return Reason::NetworkLost;
    case kVirusInfected:
    case kVirusDeleted:
        return Reason::Antivirus;
    default:
        return std::nullopt;
    }
}

QString codeName(int code) {
    // Windows' own words for it where they are Japanese, as on a Japanese Windows.
    wchar_t *text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(code), MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN),
        reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString words = QString::fromWCharArray(text, int(length)).trimmed();
    ::LocalFree(text);
    const QString number = QStringLiteral("Windows のエラーコード %1").arg(code);
    return words.isEmpty() ? number : QStringLiteral("%1、%2").arg(words, number);
}
