#pragma once

#include <QString>

// Why a load or an append failed, with what the user needs to act on it.
struct DataError {
    enum class Kind {
        FileMissing,          // load: no data file yet (nothing has been added)
        NotAFile,             // the path names a folder or something else that is not a file
        CannotOpenFolder,     // a folder on the way to the data file could not be opened
        CannotOpen,           // opening the file failed for another reason (permissions, ...)
        ReadFailed,           // an I/O error while reading
        Busy,                 // another program is reading or writing the file
        NotYours,             // the data folder or file, or a folder or link on the way, is
                              // another user's
        OpenToOthers,         // a folder on the way that other users may write in
        FileTooBig,           // the file is larger than any address book can be
        TooManyRecords,       // load: more than 100 records; the first 100 were read
        RecordCutShort,       // load: the file ends inside a record; the whole ones were read
        NotShiftJis,          // load: bytes that are not Shift-JIS, shown as substitutes
        SavedAsUtf8,          // load: the book was saved again as UTF-8, and read as such
        HomeUnset,            // no home folder (HOME) to find the data file in
        PathNotText,          // a place from the environment holds bytes that are no text
        FolderMissing,        // append: the data folder does not exist and may not be created
        CannotCreateFolder,   // append: the data folder could not be created
        QuoteInField,         // append: a double quote in a field would break the file's format
        CannotEncode,         // append: a character that Shift-JIS cannot hold
        AddressBookFull,      // append: the file already holds 100 records
        NoRoomForRecord,      // append: the record would take the file past the size bound
        LastRecordIncomplete, // append: the file ends inside a record; the user may set it aside
        NotAnAddressBook,     // append: the file ends in what no record starts with
        Utf8BookNotConverted, // append: the book is UTF-8; the user may have it turned back
        CannotConvertBook,    // append: the UTF-8 book holds a character Shift-JIS cannot hold
        CannotSetAside,       // append: the incomplete record could not be copied aside
        DiskFull,             // append: no space left; the file is as it was
        FileSizeLimit,        // append: the process's file size limit was hit
        WriteFailed,          // append: another write or flush error; the file is as it was
    };

    Kind kind;
    QString path = {};        // the file or folder concerned
    qint16 record = 0;        // 1-based record where reading stopped, 0 if none
    qint16 field = -1;        // column of the field concerned, -1 if none
    char32_t character = 0;   // the offending character, 0 if none
    qint64 bytes = 0;         // the size concerned: a file too big, an incomplete record
    QString detail = {};      // the operating system's reason, in Japanese, if any; the
                              // environment variable, for PathNotText
    bool fileChanged = false; // a failed append could not put the file back as it was

    // A Japanese sentence or two for a message box: what happened, where, and what to do.
    QString message() const;
};
