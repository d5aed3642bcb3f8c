#include "data_file_io.h"

#include "data_file_size.h"
#include "data_folder_posix.h"
#include "system_error_text.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

using Kind = DataError::Kind;

void removeFrom(const DataFolder &folder, const QString &name) {
    ::unlinkat(folder.fd.get(), QFile::encodeName(name).constData(), 0);
}

// The whole file from its start, or an error; never more than an address book can hold,
// however large the file is or grows while it is read.
std::variant<QByteArray, DataError> readWhole(int fd, const QString &path) {
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return systemFailure(Kind::ReadFailed, path, errno);
    if (info.st_size > kMaxDataFileBytes)
        return DataError{.kind = Kind::FileTooBig, .path = path, .bytes = info.st_size};

    // One byte more than the size, so that a file that has not grown is read in one pass.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > kMaxDataFileBytes)
                return DataError{.kind = Kind::FileTooBig, .path = path, .bytes = used};
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, kMaxDataFileBytes + 1));
        }
        const ssize_t n = ::pread(fd, bytes.data() + used, size_t(bytes.size() - used), used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return systemFailure(Kind::ReadFailed, path, errno);
        if (n == 0)
            break;
        used += n;
    }
    bytes.truncate(used);
    return bytes;
}

// One write of all the bytes; false with the reason in *code if not all of them went.
bool writeAll(int fd, QByteArrayView bytes, int *code) {
    ssize_t written;
    do
        written = ::write(fd, bytes.data(), size_t(bytes.size()));
    while (written < 0 && errno == EINTR);
    if (written == bytes.size())
        return true;
    *code = errno;
    if (written >= 0) { // a short write sets no error code: tell from the limits why it stopped
        struct statvfs disk;
        struct rlimit limit;
        struct stat file;
        *code = EIO;
        if (::fstatvfs(fd, &disk) == 0 && disk.f_bavail == 0)
            *code = ENOSPC;
        else if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
                 ::fstat(fd, &file) == 0 && rlim_t(file.st_size) >= limit.rlim_cur)
            *code = EFBIG;
    }
    return false;
}

bool synced(int fd, int *code) {
    if (::fsync(fd) == 0)
        return true;
    *code = errno;
    return false;
}

DataError writeError(const QString &path, int code) {
    Kind kind = Kind::WriteFailed;
    if (code == ENOSPC || code == EDQUOT)
        kind = Kind::DiskFull;
    else if (code == EFBIG)
        kind = Kind::FileSizeLimit;
    return systemFailure(kind, path, code);
}

// Copies the bytes to a new owner-only file beside the data file, named after it and the
// time, and syncs it; the data file is not touched. Returns the new file's name.
std::variant<QString, DataError> setAside(const DataFolder &folder, QByteArrayView bytes) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name;
    UniqueFd copy;
    for (int attempt = 1; copy.get() < 0; ++attempt) {
        name = folder.fileName + QStringLiteral(".broken-") + stamp;
        if (attempt > 1)
            name += QStringLiteral("-%1").arg(attempt);
        copy.reset(::openat(folder.fd.get(), QFile::encodeName(name).constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (copy.get() < 0 && (errno != EEXIST || attempt == 100))
            return systemFailure(Kind::CannotSetAside, folder.path, errno);
    }
    int code = 0;
    if (!writeAll(copy.get(), bytes, &code) || !synced(copy.get(), &code) ||
        !synced(folder.fd.get(), &code)) {
        removeFrom(folder, name);
        return systemFailure(Kind::CannotSetAside, folder.path, code);
    }
    return name;
}

} // namespace

void reportFileSizeLimitAsError() {
    std::signal(SIGXFSZ, SIG_IGN);
}

FileBytes readDataFile(const QString &path) {
    auto opened = DataFolder::open(path, DataFolder::Lock::Shared);
    if (auto *error = std::get_if<DataError>(&opened)) {
        if (error->kind == Kind::FolderMissing)
            return {{}, DataError{.kind = Kind::FileMissing, .path = path}};
        return {{}, *error};
    }
    const auto file = std::get<DataFolder>(opened).openFile(O_RDONLY);
    if (const auto *error = std::get_if<DataError>(&file))
        return {{}, *error};
    auto bytes = readWhole(std::get<UniqueFd>(file).get(), path);
    if (auto *error = std::get_if<DataError>(&bytes))
        return {{}, *error};
    return {std::get<QByteArray>(std::move(bytes)), std::nullopt};
}

AppendResult appendToDataFile(const DataFileLocation &location,
                              const std::function<AppendDecision(QByteArrayView)> &decide) {
    if (auto error = ensureDataFolder(location))
        return {error};
    auto opened = DataFolder::open(location.path, DataFolder::Lock::Exclusive);
    if (auto *error = std::get_if<DataError>(&opened))
        return {*error};
    const DataFolder &folder = std::get<DataFolder>(opened);
    const QString &path = location.path;

    bool created = false;
    auto opening = folder.openFile(O_RDWR | O_APPEND | O_CREAT, &created);
    if (auto *error = std::get_if<DataError>(&opening))
        return {*error};
    const int fd = std::get<UniqueFd>(opening).get();
    const auto refuse = [&](const DataError &error) -> AppendResult {
        if (created)
            removeFrom(folder, folder.fileName);
        return {error};
    };

    auto existing = readWhole(fd, path);
    if (auto *error = std::get_if<DataError>(&existing))
        return refuse(*error);
    const QByteArray &before = std::get<QByteArray>(existing);
    const AppendDecision decision = decide(before);
    if (const auto *refused = std::get_if<DataError>(&decision))
        return refuse(*refused);
    const AppendPlan &plan = std::get<AppendPlan>(decision);
    const QByteArrayView tail = QByteArrayView(before).sliced(plan.keep);

    // The cut-off bytes are safe in a file of their own before the data file loses them.
    QString aside;
    if (!tail.isEmpty()) {
        auto copied = setAside(folder, tail);
        if (auto *error = std::get_if<DataError>(&copied))
            return {*error};
        aside = std::get<QString>(copied);
        if (::ftruncate(fd, plan.keep) != 0) {
            const int code = errno;
            removeFrom(folder, aside);
            return {writeError(path, code)};
        }
    }

    int code = 0;
    if ((tail.isEmpty() || synced(fd, &code)) && writeAll(fd, plan.bytes, &code) &&
        synced(fd, &code)) {
        if (created) // a new file's name reaches the disk with its folder
            (void)::fsync(folder.fd.get());
        return {std::nullopt, aside.isEmpty() ? QString() : folder.path + u'/' + aside};
    }

    // Back as it was: the kept bytes and the tail, whose copy is then not needed.
    DataError error = writeError(path, code);
    int ignored = 0;
    error.fileChanged =
        ::ftruncate(fd, plan.keep) != 0 ||
        (!tail.isEmpty() && !(writeAll(fd, tail, &ignored) && synced(fd, &ignored)));
    if (error.fileChanged)
        return {error};
    if (!aside.isEmpty())
        removeFrom(folder, aside);
    return refuse(error);
}
