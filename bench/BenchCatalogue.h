#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>

// The large catalogue (the one bench_catalogue makes, unless given) copied
// into dir, so a benchmark that writes leaves it as it was; empty, with a
// word on stderr, when there is none.
inline QString copyOfCatalogue(const QString &given, const QTemporaryDir &dir)
{
    const QString source =
        !given.isEmpty() ? given : QDir::temp().filePath(QStringLiteral("projectsales-bench-100000-v1.mdb"));
    const QString path = dir.filePath(QStringLiteral("db.mdb"));
    if (!QFile::exists(source) || !QFile::copy(source, path)) {
        std::fprintf(stderr, "no catalogue at %s (bench_catalogue makes one)\n", qPrintable(source));
        return {};
    }
    return path;
}
