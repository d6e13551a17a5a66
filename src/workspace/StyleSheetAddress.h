#pragma once

#include <QList>
#include <QString>

class File;

// How a style sheet of the page is found among Files: by the address the
// page gives the sheet (its href), whatever form the link was written in.
// The browser makes every address absolute ("./", "../" and <base href>
// resolved, @import included); what is left to tell apart is what names no
// other file: the query ("?v=3.1.0") and the fragment of a local address,
// and percent-encoding. Every lookup of a sheet's File goes through here, so
// that listing, pairing, writing back and saving agree on it (#86).
class StyleSheetAddress
{
public:
    // What an address is compared by. A file: address: the local path it
    // names, percent-encoding undone, its query and fragment dropped, "."
    // and ".." resolved. Any other: the address without its fragment, fully
    // encoded. Empty for an empty address (a <style> element's sheet).
    static QString keyOf(const QString &address);
    // The same for a File: its cleaned path, or the key of its address.
    static QString keyOf(const File &file);

    // Whether the address names the file.
    static bool names(const QString &address, const File &file);
    // The first of the files the address names; null for none.
    static File *fileOf(const QString &address, const QList<File *> &files);
};
