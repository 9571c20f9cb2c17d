#pragma once

#include <QString>

namespace amiscan {

// What decides where the settings and the history live.
struct DataLocationFacts
{
    QString requestedDir;  // from --data-dir; empty when not given
    QString executableDir; // the directory of the program's executable
    bool executableDirWritable = false;
    bool installed = false; // the executable sits in an installed tree (package, cmake --install)
    QString userDataDir;    // the user's data directory for the program
};

// The data directory: the one asked for; for an installed copy the user's data directory, so
// that a copy under /usr (or under a prefix its user can write to) never mixes its files with
// the programs; beside the executable when that directory is writable, as a copy unpacked
// anywhere always did; otherwise the user's data directory.
QString chooseDataDir(const DataLocationFacts &facts);

// The facts of this process, read from the file system and Qt's standard locations.
DataLocationFacts probeDataLocation(const QString &requestedDir);

// Makes `dir` ready for the two files: creates it when missing, with any missing parents,
// open to its owner only (0700). False with `*error` set when it cannot be created or written.
bool prepareDataDir(const QString &dir, QString *error);

} // namespace amiscan
