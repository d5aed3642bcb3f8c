#include "data_file_io.h"
#include "data_folder.h"
#include "folder_trust_posix.h"
#include "system_error.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace {

using Kind = DataError::Kind;

// Another copy of the program holds the lock for the few milliseconds an append takes; one
// that holds it longer is stuck, and the user is told rather than kept waiting.
constexpr std::chrono::milliseconds kLockPatience{400};
// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

auto retrying(auto call) {
    decltype(call()) result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

QString joined(const QString &folder, const QString &name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QStringList componentsOf(const QString &path) {
    return path.split(u'/', Qt::SkipEmptyParts);
}

// An open folder, what it was when opened, and the path it was reached by.
struct Place {
    UniqueHandle folder;
    struct stat info {};
    QString path;
};

Result<Place> placeOf(UniqueHandle folder, const QString &path) {
    Place place{std::move(folder), {}, path};
    if (!place.folder.valid() || ::fstat(place.folder.get(), &place.info) != 0)
        return systemFailure(Kind::CannotOpenFolder, path, errno);
    return place;
}

// The folder open in the handle, in a handle of its own.
Result<Place> duplicate(int folder, const QString &path) {
    return placeOf(UniqueHandle(::fcntl(folder, F_DUPFD_CLOEXEC, 0)), path);
}

Result<Place> root() {
    return placeOf(
        UniqueHandle(retrying([] { return ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC); })),
        QStringLiteral("/"));
}

// What a folder must be for the walk to go through it.
Status passable(const Place &place) {
    if (!trustedOwner(place.info))
        return DataError{.kind = Kind::NotYours, .path = place.path};
    if (othersMayWrite(place.info))
        return DataError{.kind = Kind::OpenToOthers, .path = place.path};
    return {};
}

// The target of the link in the folder, once its owner is known to be trusted; the link is
// read through the handle whose owner was checked.
Result<QString> readLink(int folder, const QByteArray &name, const QString &where, Kind failure) {
    UniqueHandle link(retrying(
        [&] { return ::openat(folder, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC); }));
    struct stat info;
    if (!link.valid() || ::fstat(link.get(), &info) != 0)
        return systemFailure(failure, where, errno);
    if (!S_ISLNK(info.st_mode))
        return systemFailure(failure, where, ENOTDIR);
    if (!trustedOwner(info))
        return DataError{.kind = Kind::NotYours, .path = where};
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(link.get(), "", target, sizeof target);
    if (length < 0 || length == sizeof target)
        return systemFailure(failure, where, length < 0 ? errno : ENAMETOOLONG);
    return QFile::decodeName(QByteArray(target, length));
}

// Follows the components from an open folder one at a time, opening each folder without
// following links and checking the very folder it opened before going on, so that no swap of
// a folder for a link can take the walk elsewhere. A link is followed only when the user or
// root owns it. Missing folders are made (owner-only) when `create` says so.
class Walk {
public:
    explicit Walk(bool create)
        : m_create(create) {}

    Result<Place> through(Place place, QStringList pending) {
        while (!pending.isEmpty()) {
            const QString name = pending.takeFirst();
            if (name == u".")
                continue;
            if (Status ok = passable(place); !ok.ok())
                return ok.error();
            const QString where =
                name == u".." ? QFileInfo(place.path).path() : joined(place.path, name);
            const QByteArray native = QFile::encodeName(name);
            UniqueHandle next(openFolder(place, native));
            if (!next.valid() && errno == ENOENT && m_create) {
                if (::mkdirat(place.folder.get(), native.constData(), 0700) != 0 && errno != EEXIST)
                    return systemFailure(Kind::CannotCreateFolder, where, errno);
                next.reset(openFolder(place, native));
            }
            if (next.valid()) {
                auto entered = placeOf(std::move(next), where);
                if (!entered.ok())
                    return entered.error();
                place = std::move(entered.value());
                continue;
            }
            const int code = errno;
            if (code == ENOENT)
                return DataError{.kind = Kind::FolderMissing, .path = where};
            if (code != ELOOP && code != ENOTDIR)
                return systemFailure(Kind::CannotOpenFolder, where, code);
            auto target = follow(place.folder.get(), native, where, Kind::CannotOpenFolder);
            if (!target.ok())
                return target.error();
            pending = componentsOf(target.value()) + pending;
            if (target.value().startsWith(u'/')) {
                auto top = root();
                if (!top.ok())
                    return top.error();
                place = std::move(top.value());
            }
        }
        return place;
    }

    // The link's target, counting it against the links a path may take.
    Result<QString> follow(int folder, const QByteArray &name, const QString &where, Kind failure) {
        if (--m_linksLeft < 0)
            return systemFailure(failure, where, ELOOP);
        return readLink(folder, name, where, failure);
    }

private:
    static int openFolder(const Place &place, const QByteArray &name) {
        return retrying([&] {
            return ::openat(place.folder.get(), name.constData(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        });
    }

    bool m_create;
    int m_linksLeft = kMaxLinks;
};

// False if another copy holds the lock past our patience. A file system that cannot lock
// at all is used without the lock, as it always was.
bool lock(int fd, DataFolder::Access access) {
    const int operation = (access == DataFolder::Access::Read ? LOCK_SH : LOCK_EX) | LOCK_NB;
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
    auto top = root();
    if (!top.ok())
        return top.error();
    auto reached = Walk(own && append).through(std::move(top.value()), folders);
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

Result<DataFile> DataFolder::openDataFile(bool *created) const {
    const QString path = filePath(m_fileName);
    const bool append = m_access == Access::Append;
    // Not blocking: a pipe at the data file's path must be refused, not waited on.
    const int flags = (append ? O_RDWR | O_APPEND : O_RDONLY) | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;

    // A link in place of the file is followed, like a folder on the way, only if the user owns
    // it, and what it leads to is reached by the same walk. Files are only ever made in place.
    int folder = m_handle.get();
    Place followed; // the folder a link led to
    QByteArray name = QFile::encodeName(m_fileName);
    const auto openHere = [&](int how) {
        return retrying([&] { return ::openat(folder, name.constData(), how, 0600); });
    };
    UniqueHandle file;
    bool exists = !append;
    if (append) {
        file.reset(openHere(flags | O_CREAT | O_EXCL));
        exists = !file.valid() && errno == EEXIST;
    }
    if (created)
        *created = file.valid();
    Walk walk(false);
    while (exists && !file.valid()) {
        file.reset(openHere(flags));
        if (file.valid() || errno != ELOOP)
            break;
        auto target = walk.follow(folder, name, path, Kind::CannotOpen);
        if (!target.ok())
            return target.error();
        QStringList parts = componentsOf(target.value());
        if (parts.isEmpty())
            return DataError{.kind = Kind::NotAFile, .path = path};
        name = QFile::encodeName(parts.takeLast());
        auto start = target.value().startsWith(u'/')
                         ? root()
                         : duplicate(folder, followed.folder.valid() ? followed.path : m_path);
        if (!start.ok())
            return start.error();
        auto reached = walk.through(std::move(start.value()), parts);
        if (!reached.ok())
            return reached.error();
        if (Status ok = passable(reached.value()); !ok.ok())
            return ok.error();
        followed = std::move(reached.value());
        folder = followed.folder.get();
    }
    if (!file.valid()) {
        const int code = errno;
        if (code == ENOENT)
            return DataError{.kind = Kind::FileMissing, .path = path};
        if (code == EISDIR || code == ENXIO) // a folder, or a pipe with no reader
            return DataError{.kind = Kind::NotAFile, .path = path};
        return systemFailure(Kind::CannotOpen, path, code);
    }

    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return systemFailure(Kind::ReadFailed, path, errno);
    if (!S_ISREG(info.st_mode))
        return DataError{.kind = Kind::NotAFile, .path = path};
    if (info.st_uid != currentUser())
        return DataError{.kind = Kind::NotYours, .path = path};
    return DataFile(std::move(file), m_fileName, path, info.st_size);
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
    return flush();
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
