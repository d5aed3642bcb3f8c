#include "data_folder.h"
#include "folder_trust_linux.h"
#include "folder_walk_linux.h"
#include "lock_patience.h"
#include "system_error.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

using Kind = DataError::Kind;

// False if another copy holds the lock past our patience. A file system that cannot lock
// at all is used without the lock, as it always was.
bool lock(int fd, DataFolder::Access access) {
    const int operation = (access == DataFolder::Access::Read ? LOCK_SH : LOCK_EX) | LOCK_NB;
    return patiently([&] {
        const bool held = ::flock(fd, operation) != 0 && (errno == EWOULDBLOCK || errno == EINTR);
        return held ? Attempt::Held : Attempt::Done;
    });
}

// A short write sets no error code: the limits tell why it stopped.
int whyShort(int fd) {
    struct statvfs disk;
    struct rlimit limit;
    struct stat file;
    if (::fstatvfs(fd, &disk) == 0 && disk.f_bavail == 0)
        return ENOSPC;
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        ::fstat(fd, &file) == 0 && rlim_t(file.st_size) >= limit.rlim_cur)
        return EFBIG;
    return EIO;
}

} // namespace

bool mayWrite(const QString &path) {
    // With the rights the process acts with (AT_EACCESS), as the append itself will.
    const auto may = [](const QString &place, int how) {
        return ::faccessat(AT_FDCWD, QFile::encodeName(place).constData(), how, AT_EACCESS) == 0;
    };
    if (may(path, W_OK))
        return true;
    return errno == ENOENT && may(QFileInfo(path).absolutePath(), W_OK | X_OK);
}

void reportFileSizeLimitAsError() {
    std::signal(SIGXFSZ, SIG_IGN);
}

void UniqueHandle::reset(NativeHandle handle) {
    if (m_handle >= 0)
        ::close(m_handle);
    m_handle = handle;
}

Result<qsizetype> DataFile::read(qint64 offset, char *into, qsizetype length) const {
    const ssize_t n = retrying([&] { return ::pread(handle(), into, size_t(length), offset); });
    if (n < 0)
        return systemFailure(Kind::ReadFailed, m_path, errno);
    return qsizetype(n);
}

Status DataFile::append(QByteArrayView bytes) const {
    const ssize_t written =
        retrying([&] { return ::write(handle(), bytes.data(), size_t(bytes.size())); });
    if (written == bytes.size())
        return {};
    return systemFailure(Kind::WriteFailed, m_path, written < 0 ? errno : whyShort(handle()));
}

Status DataFile::truncate(qint64 size) const {
    if (retrying([&] { return ::ftruncate(handle(), size); }) != 0)
        return systemFailure(Kind::WriteFailed, m_path, errno);
    return {};
}

void DataFile::makePrivate() const {
    struct stat info;
    if (::fstat(handle(), &info) == 0)
        ::makePrivate(handle(), info);
}

Status DataFile::flush() const {
    if (::fsync(handle()) != 0)
        return systemFailure(Kind::WriteFailed, m_path, errno);
    return {};
}

Result<DataFolder> DataFolder::open(const DataFileLocation &location, Access access) {
    // The path is walked as it is written: a ".." goes up from the folder really reached, as
    // the system itself takes it, never by cutting the text.
    QStringList folders = componentsOf(location.path);
    const QString fileName = folders.isEmpty() ? QString() : folders.takeLast();
    const bool own = location.folders == FolderCreation::CreateOwnFolder;
    const bool append = access == Access::Append;
    auto reached = Walk(own && append).toFolder(folders);
    if (!reached.ok())
        return reached.error();
    Place &folder = reached.value();

    // The folder itself must be the user's. The program's own is made private once something
    // is added to it (makePrivate()); any other is left as it is, and refused if others may
    // put things in it.
    if (folder.info.st_uid != currentUser())
        return DataError{.kind = Kind::NotYours, .path = folder.path};
    if (!own && othersMayWrite(folder.info))
        return DataError{.kind = Kind::OpenToOthers, .path = folder.path};
    if (!lock(folder.folder.get(), access))
        return DataError{.kind = Kind::Busy, .path = joined(folder.path, fileName)};
    return DataFolder(std::move(folder.folder), folder.path, fileName, access, own);
}

void DataFolder::makePrivate() const {
    struct stat info;
    if (m_own && ::fstat(m_handle.get(), &info) == 0)
        ::makePrivate(m_handle.get(), info);
}

QString DataFolder::filePath(const QString &name) const {
    return joined(m_path, name);
}

Result<DataFile> DataFolder::openDataFile() const {
    const QString path = filePath(m_fileName);
    const bool append = m_access == Access::Append;
    // Not blocking: a pipe at the data file's path must be refused, not waited on.
    const int flags = (append ? O_RDWR | O_APPEND : O_RDONLY) | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;

    // Files are only ever made in place; a link in place of the file is followed, like a
    // folder on the way, only if the user owns it, and what it leads to is reached by the walk.
    UniqueHandle file;
    if (append) {
        file.reset(retrying([&] {
            return ::openat(m_handle.get(), QFile::encodeName(m_fileName).constData(),
                            flags | O_CREAT | O_EXCL, 0600);
        }));
        if (!file.valid() && errno != EEXIST)
            return systemFailure(Kind::CannotOpen, path, errno);
    }
    const bool made = file.valid();
    if (!made) {
        auto found = Walk(false).toFile(m_handle.get(), m_path, m_fileName, flags, path);
        if (!found.ok())
            return found.error();
        file = std::move(found.value());
    }

    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return systemFailure(Kind::ReadFailed, path, errno);
    if (!S_ISREG(info.st_mode))
        return DataError{.kind = Kind::NotAFile, .path = path};
    if (info.st_uid != currentUser())
        return DataError{.kind = Kind::NotYours, .path = path};
    return DataFile(std::move(file), m_fileName, path, info.st_size, made);
}

Result<DataFile> DataFolder::createFile(const QString &name) const {
    UniqueHandle file(retrying([&] {
        return ::openat(m_handle.get(), QFile::encodeName(name).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    }));
    if (!file.valid())
        return systemFailure(Kind::CannotOpen, filePath(name), errno);
    return DataFile(std::move(file), name, filePath(name), 0);
}

bool DataFolder::contains(const QString &name) const {
    struct stat info;
    return ::fstatat(m_handle.get(), QFile::encodeName(name).constData(), &info,
                     AT_SYMLINK_NOFOLLOW) == 0 ||
           errno != ENOENT;
}

void DataFolder::remove(const QString &name) const {
    ::unlinkat(m_handle.get(), QFile::encodeName(name).constData(), 0);
}

void DataFolder::remove(const DataFile &created) const {
    remove(created.name());
}

Status DataFolder::replaceDataFile(const QString &name, DataFile &dataFile) const {
    // The lock is on the folder, so the data file's handle may stay open until the end.
    (void)dataFile;
    if (::renameat(m_handle.get(), QFile::encodeName(name).constData(), m_handle.get(),
                   QFile::encodeName(m_fileName).constData()) != 0)
        return systemFailure(Kind::WriteFailed, filePath(m_fileName), errno);
    return {};
}

Status DataFolder::moveUnlessThere(const QString &from, const QString &to) const {
    if (::renameat2(m_handle.get(), QFile::encodeName(from).constData(), m_handle.get(),
                    QFile::encodeName(to).constData(), RENAME_NOREPLACE) == 0 ||
        errno == EEXIST)
        return {};
    return systemFailure(Kind::WriteFailed, filePath(to), errno);
}

Status DataFolder::flush() const {
    if (::fsync(m_handle.get()) != 0)
        return systemFailure(Kind::WriteFailed, m_path, errno);
    return {};
}
