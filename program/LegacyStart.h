#pragma once

#include <QString>

// Start-up on a legacy Access file, before the data module opens it. The
// file is told by its header: a Jet 4 catalogue is offered for conversion
// (question, check with progress, the list of refused rows and their
// repairs, conversion with progress); another kind of Access file is refused
// with a text saying what it is.
struct LegacyStart {
    enum class Outcome { NotLegacy, Converted, Ended };
    Outcome outcome = Outcome::NotLegacy;
    int exitCode = 0;   // when Ended: 0 for the user's No or Cancel, 1 for a failure
    QString keptAs;     // when Converted: where the original is
    QString report;     // when Converted: the repairs and notes file, or empty
};

// Anything but Converted and NotLegacy leaves the folder exactly as it was.
LegacyStart convertLegacyCatalogue(const QString &path);
