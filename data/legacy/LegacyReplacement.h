#pragma once

#include "data/legacy/LegacyConversion.h"

#include <QString>

class QTemporaryDir;

// A legacy catalogue converted in its own place: the new catalogue takes the
// file's name, the original is moved aside byte for byte (never written),
// and the repairs and notes go to a text file beside them. Until the very
// end the folder holds only what it held: the new catalogue is made in the
// temporary folder, so a cancel, a failure or a killed program leaves the
// folder as it was.
class LegacyReplacement
{
public:
    // Throws DataError as LegacyConversion does.
    explicit LegacyReplacement(const QString &path);

    LegacyConversion &conversion() { return m_conversion; }
    // Where the original will be kept, and the report written.
    QString keptAs() const { return m_keptAs; }
    QString reportPath() const { return m_reportPath; }

    // Writes the new catalogue (the check must have run), then puts it in
    // place. False when cancelled. Throws DataError when it fails; the
    // folder is as it was then too.
    bool convert(const LegacyConversion::Progress &progress);

private:
    void putInPlace(const QString &made, QTemporaryDir &work);

    QString m_path;
    QString m_keptAs;
    QString m_reportPath;
    LegacyConversion m_conversion;
};
