#pragma once

#include "Result.h"

#include <QByteArray>
#include <QVariant>

// The classic non-keyed archive stream ("typedstream", little-endian,
// version 4, system 1000) for the value types the project settings file
// holds:
//
//   QVariantMap with string keys   NSMutableDictionary
//   QVariantList, QStringList      NSMutableArray
//   QString                        NSString
//   bool                           NSNumber of type "c"
//   float                          NSNumber of type "f"
//   double                         NSNumber of type "d"
//   int, qint64                    NSNumber of type "i", "q"
//
// The stream keeps one table of shared strings (type encodings and class
// names) and one of objects (objects, classes and C strings); an entry met
// again is written as its number in the table. Equal strings and the two
// booleans are written once and referred to afterwards.
class Archiver
{
public:
    Archiver() = delete;

    // Fails, naming the value, for a type outside the list above or a map
    // key that is empty.
    static Result<QByteArray> archivedDataWithRootObject(const QVariant &root);
};

// Reads what Archiver writes, and the same stream written by the platform's
// archiver with the immutable classes (NSString, NSArray, NSDictionary) and
// numbers of any scalar type. Anything else (another class, a cycle, a
// truncated or malformed stream, bytes after the root object) fails with a
// message that says what and where.
class Unarchiver
{
public:
    Unarchiver() = delete;

    // True when the bytes begin with the stream's header.
    static bool isArchive(const QByteArray &data);
    static Result<QVariant> unarchiveObjectWithData(const QByteArray &data);
};
