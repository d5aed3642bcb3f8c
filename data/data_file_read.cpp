#include "data_file_read.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include "system_error_text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

FileBytes readDataFile(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, DataError{DataError::Kind::FileMissing, path}};
    if (!info.isFile())
        return {{}, DataError{DataError::Kind::NotAFile, path}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, DataError{DataError::Kind::CannotOpen, path, 0, -1, 0, file.errorString()}};
    FileBytes result{file.readAll(), std::nullopt};
    if (file.error() != QFileDevice::NoError)
        result.error = DataError{DataError::Kind::ReadFailed, path, 0, -1, 0, file.errorString()};
    return result;
}

#else

namespace {

// Closes the file on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

DataError failure(DataError::Kind kind, const QString &path, int code) {
    return DataError{kind, path, 0, -1, 0, systemErrorText(code)};
}

} // namespace

FileBytes readDataFile(const QString &path) {
    // Not blocking: a pipe at the data file's path must be refused, not waited on.
    Descriptor file{-1};
    do
        file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (file.fd < 0 && errno == EINTR);
    if (file.fd < 0) {
        if (errno == ENOENT)
            return {{}, DataError{DataError::Kind::FileMissing, path}};
        return {{}, failure(DataError::Kind::CannotOpen, path, errno)};
    }
    struct stat info;
    if (::fstat(file.fd, &info) != 0)
        return {{}, failure(DataError::Kind::ReadFailed, path, errno)};
    if (!S_ISREG(info.st_mode))
        return {{}, DataError{DataError::Kind::NotAFile, path}};

    // One byte more than the size, so that a file that has not grown is read in one pass.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(file.fd, bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {{}, failure(DataError::Kind::ReadFailed, path, errno)};
        if (n == 0)
            break;
        used += n;
    }
    bytes.truncate(used);
    return {bytes, std::nullopt};
}

#endif
