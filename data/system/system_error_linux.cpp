#include "system_error.h"

#include <cerrno>
#include <cstring>

std::optional<SystemReason> reasonFor(int code) { // errno
    using Reason = SystemReason;
    switch (code) {
    case EACCES:
    case EPERM:
        return Reason::AccessDenied;
    case EROFS:
        return Reason::ReadOnly;
    case ENOENT:
        return Reason::NotFound;
    case ENOTDIR:
        return Reason::NotAFolderOnTheWay;
    case EEXIST:
        return Reason::AlreadyExists;
    case EISDIR:
        return Reason::IsAFolder;
    case ENOSPC:
        return Reason::DiskFull;
    case EDQUOT:
        return Reason::QuotaExceeded;
    case EFBIG:
    case EOVERFLOW:
        return Reason::FileTooLarge;
    case EIO:
        return Reason::DiskError;
    case EUCLEAN:
    case EBADMSG: // a checksum that does not match what was read
        return Reason::FileSystemDamaged;
    case ENAMETOOLONG:
        return Reason::NameTooLong;
    case ELOOP:
        return Reason::TooManyLinks;
    case EMFILE:
    case ENFILE:
        return Reason::TooManyOpenFiles;
    case ENOMEM:
    case ENOBUFS:
        return Reason::OutOfMemory;
    case EAGAIN: // a lease or a mandatory lock held by another program
    case EBUSY:
    case ETXTBSY:
    case EDEADLK:
        return Reason::InUse;
    case ENXIO:
    case ENODEV:
        return Reason::NotAFile;
    case ENOMEDIUM:
        return Reason::NoMedium;
    case EINVAL:
    case EOPNOTSUPP:
    case ENOLCK:
    case ENOSYS:
        return Reason::Unsupported;
    case EILSEQ: // a name the file system cannot store
        return Reason::InvalidName;
    case ENOKEY: // a folder encrypted by its file system (fscrypt) and not unlocked
    case EKEYEXPIRED:
    case EKEYREVOKED:
    case EKEYREJECTED:
        return Reason::EncryptionLocked;
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
    case ENOLINK:
    case ECOMM:
        return Reason::NetworkLost;
    default:
        return std::nullopt;
    }
}

QString codeName(int code) {
    const char *name = ::strerrorname_np(code);
    return name ? QStringLiteral("%1、エラー番号 %2").arg(QLatin1String(name)).arg(code)
                : QStringLiteral("エラー番号 %1").arg(code);
}
