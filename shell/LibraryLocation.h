#pragma once
// Where the reader finds its notes library when it is not started inside one.
//
// A library is a folder laid out as the program's own folder is in the build tree: the four notes
// files, setup.ini, and the Image and PDF letter folders. The reader works from the folder it is
// given: it changes into it, so that every relative path in the notes resolves, and takes its
// program path inside it, so that setup.ini and the letter folders are found there too.

#include <QString>

struct LibraryChoice {
    QString programPath;    // what the window takes its folder from
    QString workingFolder;  // the folder to change into; empty: stay where the program was started
    QString settingsFolder; // where velmoranote.ini is read and written, with a trailing '/'
    QString notice;         // to tell the user: the remembered library has gone and the demo opens instead
};

struct LibrarySources {
    QString programFile;  // the running program
    QString requested;    // --library DIR, or empty
    QString configFolder; // the user's settings folder for this program
    QString demoFolder;   // the installed demo library
};

// In this order: the folder asked for on the command line; the program's own folder when it holds
// notes (started in the build tree: nothing changes); the folder remembered from an earlier
// --library; the demo library. Raises VelmoraError naming the folder when the folder asked for does
// not exist or holds no notes. A remembered folder that has gone (or lost its notes) is passed over
// for the demo, with a notice.
LibraryChoice ChooseLibrary(const LibrarySources &sources);

// The folder last given with --library, or empty; kept in library.ini in `configFolder`.
QString RememberedLibrary(const QString &configFolder);
// Raises VelmoraError naming the file when it cannot be written (the old one then stays).
void RememberLibrary(const QString &configFolder, const QString &folder);
