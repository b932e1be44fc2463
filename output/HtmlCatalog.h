#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The lines of the exported catalogue page. Names taken from the data are
// escaped so that "<" or "&" in a name cannot break the page; a description
// is written as stored, since users put markup in it on purpose.
namespace HtmlCatalog {

// What one section of the accordion shows, in text form.
struct Project {
    QString id;          // decimal project_id
    QString name;
    QString ide;         // empty: no IDE line
    QString year;
    QString updated;     // empty: no update line
    QString price;
    QString pictureFile; // empty: no picture line
    bool withDescription = false;
    QString description;
};

// "<", ">", "&" and the double quote as entities.
QString escaped(const QString &text);

// The picture file of a project: "project_17.bmp".
QString pictureFileName(const QString &projectId);

// Page lines up to and including the opening of the accordion.
QStringList head(const QString &category, int count, const QDateTime &generated);
void appendSection(QStringList &lines, const Project &project);
// Page lines after the last section.
QStringList tail();

// The page file's bytes: Windows-1251, every line ended by CR LF.
QByteArray encode(const QStringList &lines);

} // namespace HtmlCatalog
