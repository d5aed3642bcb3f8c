#pragma once

#include <sys/stat.h>
#include <sys/types.h>

// Who could have put what the walk to the data file meets there: the user, root, or someone
// else. Decided from what the open handle itself says (fstat), never from a path.

uid_t currentUser();

// Root's folders and the user's own are trusted; anyone else could swap what is in theirs.
bool trustedOwner(const struct stat &info);

// Whether another user could put something of theirs in the folder. In a root-owned folder
// with the sticky bit, like /tmp, no one can replace what is not theirs; a folder writable only
// by a group that holds no one but the user is the user's alone.
bool othersMayWrite(const struct stat &info);

// Group and others lose every right: the address book is personal data.
void makePrivate(int fd, const struct stat &info);
