#include "data_folder_posix.h"

#include "system_error_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Kind = DataError::Kind;

// Another copy of the program holds the lock for the few milliseconds an append takes; one
// that holds it longer is stuck, and the user is told rather than kept waiting.
constexpr std::chrono::milliseconds kLockPatience{400};

int retrying(auto call) {
    int result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

// Group and others lose every right: the address book is personal data.
void makePrivate(int fd, const struct stat &info) {
    if (info.st_mode & (S_IRWXG | S_IRWXO))
        (void)::fchmod(fd, info.st_mode & 07700);
}

bool ownedByAnother(const struct stat &info) {
    return info.st_uid != ::geteuid();
}

// A link the user did not make may lead anywhere, even to another of the user's files.
bool linkOfAnother(int folder, const char *name) {
    struct stat link;
    return ::fstatat(folder, name, &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode) &&
           ownedByAnother(link);
}

// False if another copy holds the lock past our patience. A file system that cannot lock
// at all is used without the lock, as it always was.
bool lock(int fd, DataFolder::Lock kind) {
    const int operation = (kind == DataFolder::Lock::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    while (::flock(fd, operation) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Creates one folder; false with the system's words if it neither could be made nor exists.
bool makeFolder(const QString &folder, QString *why) {
    // It holds personal data: only the owner may look inside.
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
        return true;
    const int error = errno;
    if (error == EEXIST && QFileInfo(folder).isDir())
        return true; // made by someone else in the meantime
    *why = systemErrorText(error);
    return false;
}

} // namespace

void UniqueFd::reset(int fd) {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

std::variant<DataFolder, DataError> DataFolder::open(const QString &filePath, Lock lockKind) {
    const QFileInfo file(filePath);
    DataFolder folder{UniqueFd(), file.absolutePath(), file.fileName(), filePath};
    const QByteArray native = QFile::encodeName(folder.path);

    // A link is opened through only once its owner is known to be the user.
    const auto openFolder = [&](int how) {
        return retrying([&] { return ::open(native.constData(), how | O_DIRECTORY | O_CLOEXEC); });
    };
    folder.fd.reset(openFolder(O_RDONLY | O_NOFOLLOW));
    if (folder.fd.get() < 0 && (errno == ELOOP || errno == ENOTDIR)) {
        struct stat link;
        if (::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode) &&
            ownedByAnother(link))
            return DataError{.kind = Kind::NotYours, .path = folder.path};
        folder.fd.reset(openFolder(O_RDONLY));
    }
    if (folder.fd.get() < 0) {
        const int code = errno;
        if (code == ENOENT)
            return DataError{.kind = Kind::FolderMissing, .path = folder.path};
        return systemFailure(Kind::CannotOpen, folder.path, code);
    }
    struct stat info;
    if (::fstat(folder.fd.get(), &info) != 0)
        return systemFailure(Kind::CannotOpen, folder.path, errno);
    if (ownedByAnother(info))
        return DataError{.kind = Kind::NotYours, .path = folder.path};
    makePrivate(folder.fd.get(), info);
    if (!lock(folder.fd.get(), lockKind))
        return DataError{.kind = Kind::Busy, .path = filePath};
    return folder;
}

std::variant<UniqueFd, DataError> DataFolder::openFile(int flags, bool *created) const {
    const QByteArray name = QFile::encodeName(fileName);
    // Not blocking: a pipe at the data file's path must be refused, not waited on. A link is
    // opened through only once its owner is known to be the user.
    flags |= O_CLOEXEC | O_NONBLOCK;
    const auto openAt = [&](int how) {
        return retrying([&] { return ::openat(fd.get(), name.constData(), how, 0600); });
    };
    UniqueFd file(openAt((flags & O_CREAT) ? flags | O_EXCL | O_NOFOLLOW : flags | O_NOFOLLOW));
    if (created)
        *created = file.get() >= 0 && (flags & O_CREAT);
    flags &= ~O_CREAT;
    if (file.get() < 0 && errno == EEXIST)
        file.reset(openAt(flags | O_NOFOLLOW));
    if (file.get() < 0 && errno == ELOOP) {
        if (linkOfAnother(fd.get(), name.constData()))
            return DataError{.kind = Kind::NotYours, .path = filePath};
        file.reset(openAt(flags));
    }
    if (file.get() < 0) {
        const int code = errno;
        if (code == ENOENT)
            return DataError{.kind = Kind::FileMissing, .path = filePath};
        if (code == EISDIR || code == ENXIO) // a folder, or a pipe with no reader
            return DataError{.kind = Kind::NotAFile, .path = filePath};
        if (code == ENOSPC || code == EDQUOT)
            return systemFailure(Kind::DiskFull, filePath, code);
        return systemFailure(Kind::CannotOpen, filePath, code);
    }

    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return systemFailure(Kind::ReadFailed, filePath, errno);
    if (!S_ISREG(info.st_mode))
        return DataError{.kind = Kind::NotAFile, .path = filePath};
    if (ownedByAnother(info))
        return DataError{.kind = Kind::NotYours, .path = filePath};
    makePrivate(file.get(), info);
    return file;
}

std::optional<DataError> ensureDataFolder(const DataFileLocation &location) {
    const QString folder = QFileInfo(location.path).absolutePath();
    if (QFileInfo(folder).isDir())
        return std::nullopt;
    if (location.folders == FolderCreation::MustExist)
        return DataError{.kind = Kind::FolderMissing, .path = folder};

    // The missing folders, outermost first.
    QStringList missing;
    for (QString f = folder; !QFileInfo(f).isDir(); f = QFileInfo(f).absolutePath()) {
        missing.prepend(f);
        if (QDir(f).isRoot())
            break;
    }
    for (const QString &f : missing) {
        QString why;
        if (!makeFolder(f, &why))
            return DataError{.kind = Kind::CannotCreateFolder, .path = f, .detail = why};
    }
    return std::nullopt;
}
