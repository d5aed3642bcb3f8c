#pragma once

#include "data_folder.h"

#include <QStringList>

#include <cerrno>
#include <sys/stat.h>

// The way from the root to the data file, one name at a time, through handles that are
// checked before they are used.

// Calls the system again while a signal interrupts it.
auto retrying(auto call) {
    decltype(call()) result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

QString joined(const QString &folder, const QString &name);
QStringList componentsOf(const QString &path);

// An open folder, what it was when opened, and the path it was reached by.
struct Place {
    UniqueHandle folder;
    struct stat info {};
    QString path;
};

// Follows the names from the root, opening each folder without following links and checking
// the very folder it opened before going on, so that no swap of a folder for a link can take
// the walk elsewhere: a folder on the way must be root's or the user's and closed to other
// users' writing. A link is followed only when the user or root owns it, through the same
// walk, up to as many links as the kernel follows. A ".." goes up from the folder really
// reached. Missing folders are made (owner-only) when `create` says so.
class Walk {
public:
    explicit Walk(bool create)
        : m_create(create) {}

    // The folder the names lead to.
    Result<Place> toFolder(const QStringList &names);

    // The file of that name in the open folder, opened with the flags; a link in its place
    // is followed as one on the way is. Errors name the file as `shown`.
    Result<UniqueHandle> toFile(int folder, const QString &folderPath, const QString &name,
                                int flags, const QString &shown);

private:
    Result<Place> through(Place place, QStringList pending);
    // The link's target, counting it against the links a path may take.
    Result<QString> follow(int folder, const QByteArray &name, const QString &where,
                           DataError::Kind failure);

    bool m_create;
    int m_linksLeft = 40; // as many as the kernel follows in one path
};
