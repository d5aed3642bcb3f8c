#include "data_file_append.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include "system_error_text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

std::optional<DataError> appendAllOrNothing(const QString &path, QByteArrayView bytes) {
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return DataError{DataError::Kind::CannotOpen, path, 0, -1, 0, file.errorString()};
    const qint64 oldSize = file.size();
    if (file.write(bytes.data(), bytes.size()) == bytes.size() && file.flush())
        return std::nullopt;
    const QString why = file.errorString();
    DataError error{DataError::Kind::WriteFailed, path, 0, -1, 0, why};
    error.fileChanged = !file.resize(oldSize);
    file.close();
    if (!existed && !error.fileChanged)
        QFile::remove(path);
    return error;
}

#else

namespace {

int openRetrying(const QByteArray &path, int flags) {
    int fd;
    do
        fd = ::open(path.constData(), flags, 0600);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// A short write sets no error code; tell from the file system and the limits why it stopped.
int whyShortWrite(int fd, off_t reached) {
    struct statvfs disk;
    if (::fstatvfs(fd, &disk) == 0 && disk.f_bavail == 0)
        return ENOSPC;
    struct rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        rlim_t(reached) >= limit.rlim_cur)
        return EFBIG;
    return EIO;
}

// A new file's name reaches the disk with its folder; the line alone is not enough.
void syncFolderOf(const QString &path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

DataError writeError(const QString &path, int code) {
    DataError::Kind kind = DataError::Kind::WriteFailed;
    if (code == ENOSPC || code == EDQUOT)
        kind = DataError::Kind::DiskFull;
    else if (code == EFBIG)
        kind = DataError::Kind::FileTooLarge;
    return DataError{kind, path, 0, -1, 0, systemErrorText(code)};
}

} // namespace

std::optional<DataError> appendAllOrNothing(const QString &path, QByteArrayView bytes) {
    const QByteArray native = QFile::encodeName(path);
    // Knowing whether this call made the file lets a failure remove it again.
    bool created = true;
    int fd = openRetrying(native, O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = openRetrying(native, O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd < 0) {
        const int code = errno;
        if (code == EISDIR || code == ENXIO) // a folder, or a pipe with no reader
            return DataError{DataError::Kind::NotAFile, path};
        if (code == ENOSPC || code == EDQUOT)
            return writeError(path, code);
        return DataError{DataError::Kind::CannotOpen, path, 0, -1, 0, systemErrorText(code)};
    }

    struct stat before;
    if (::fstat(fd, &before) != 0) {
        const int code = errno;
        ::close(fd);
        return writeError(path, code);
    }
    if (!S_ISREG(before.st_mode)) {
        ::close(fd);
        return DataError{DataError::Kind::NotAFile, path};
    }

    ssize_t written;
    do
        written = ::write(fd, bytes.data(), size_t(bytes.size()));
    while (written < 0 && errno == EINTR);

    int code = 0;
    if (written < 0)
        code = errno;
    else if (written != bytes.size())
        code = whyShortWrite(fd, before.st_size + written);
    else if (::fsync(fd) != 0)
        code = errno;

    if (code == 0) {
        ::close(fd);
        if (created)
            syncFolderOf(path);
        return std::nullopt;
    }
    DataError error = writeError(path, code);
    error.fileChanged = ::ftruncate(fd, before.st_size) != 0;
    ::close(fd);
    if (created && !error.fileChanged)
        ::unlink(native.constData());
    return error;
}

#endif
