#pragma once

#include <QString>

// Why a load or an append failed, with what the user needs to act on it.
struct DataError {
    enum class Kind {
        FileMissing,        // load: no data file yet (nothing has been added)
        NotAFile,           // the path names a folder or something else that is not a file
        CannotOpen,         // opening failed for another reason (permissions, ...)
        ReadFailed,         // an I/O error while reading
        TooManyRecords,     // load: the file holds more than 100 records
        RecordCutShort,     // load: the file ends inside a record (or a blank line at the end)
        NotShiftJis,        // load: bytes that are not Shift-JIS
        FolderMissing,      // append: the data folder does not exist and may not be created
        CannotCreateFolder, // append: the data folder could not be created
        QuoteInField,       // append: a double quote in a field would break the file's format
        CannotEncode,       // append: a character that Shift-JIS cannot hold
        AddressBookFull,    // append: the file already holds 100 records
        ExistingFileBroken, // append: the file cannot be read back, so it is not appended to
        DiskFull,           // append: no space left; the file is as it was
        FileTooLarge,       // append: the file size limit was hit; the file is as it was
        WriteFailed,        // append: another write or flush error; the file is as it was
    };

    Kind kind;
    QString path = {};        // the data file (or folder) concerned
    qint16 record = 0;        // 1-based record where reading stopped, 0 if none
    qint16 field = -1;        // column of the field concerned, -1 if none
    char32_t character = 0;   // the offending character, 0 if none
    QString detail = {};      // the reason the operating system gave, if any; for
                              // ExistingFileBroken, the reader's whole message
    bool fileChanged = false; // a failed append could not take its partial line back

    // A Japanese sentence or two for a message box: what happened, where, and what to do.
    QString message() const;
};
