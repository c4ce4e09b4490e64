#pragma once

#include <QString>

namespace vz {

// The four numbers of the program's file version: major.minor.release.build.
struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;

    QString text() const;
    bool operator==(const ProgramVersion& o) const {
        return major == o.major && minor == o.minor && release == o.release && build == o.build;
    }
};

// The version the program was built as (the project's version).
ProgramVersion buildVersion();

// The file version of an executable, read anew on every call. On Windows it comes from the
// file's version resource; elsewhere, and when a file carries no readable resource, it is the
// build version.
ProgramVersion programVersion(const QString& executablePath);

} // namespace vz
