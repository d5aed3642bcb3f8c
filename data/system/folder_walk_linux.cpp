#include "folder_walk_linux.h"

#include "folder_trust_linux.h"
#include "system_error.h"

#include <QFile>
#include <QFileInfo>

#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Kind = DataError::Kind;

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

int openFolder(const Place &place, const QByteArray &name) {
    return retrying([&] {
        return ::openat(place.folder.get(), name.constData(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    });
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

// Why the file could not be opened, from the error code.
DataError notOpened(int code, const QString &shown) {
    if (code == ENOENT)
        return DataError{.kind = Kind::FileMissing, .path = shown};
    if (code == EISDIR || code == ENXIO) // a folder, or a pipe with no reader
        return DataError{.kind = Kind::NotAFile, .path = shown};
    return systemFailure(Kind::CannotOpen, shown, code);
}

} // namespace

QString joined(const QString &folder, const QString &name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QStringList componentsOf(const QString &path) {
    return path.split(u'/', Qt::SkipEmptyParts);
}

Result<Place> Walk::toFolder(const QStringList &names) {
    auto top = root();
    if (!top.ok())
        return top.error();
    return through(std::move(top.value()), names);
}

Result<UniqueHandle> Walk::toFile(int folder, const QString &folderPath, const QString &name,
                                  int flags, const QString &shown) {
    QByteArray native = QFile::encodeName(name);
    Place followed; // the folder a link led to
    for (;;) {
        UniqueHandle file(retrying(
            [&] { return ::openat(folder, native.constData(), flags | O_NOFOLLOW, 0600); }));
        if (file.valid())
            return file;
        if (errno != ELOOP)
            return notOpened(errno, shown);
        auto target = follow(folder, native, shown, Kind::CannotOpen);
        if (!target.ok())
            return target.error();
        QStringList parts = componentsOf(target.value());
        if (parts.isEmpty())
            return DataError{.kind = Kind::NotAFile, .path = shown};
        native = QFile::encodeName(parts.takeLast());
        auto start = target.value().startsWith(u'/')
                         ? root()
                         : duplicate(folder, followed.folder.valid() ? followed.path : folderPath);
        if (!start.ok())
            return start.error();
        auto reached = through(std::move(start.value()), parts);
        if (!reached.ok())
            return reached.error();
        if (Status ok = passable(reached.value()); !ok.ok())
            return ok.error();
        followed = std::move(reached.value());
        folder = followed.folder.get();
    }
}

Result<Place> Walk::through(Place place, QStringList pending) {
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

Result<QString> Walk::follow(int folder, const QByteArray &name, const QString &where,
                             Kind failure) {
    if (--m_linksLeft < 0)
        return systemFailure(failure, where, ELOOP);
    return readLink(folder, name, where, failure);
}
