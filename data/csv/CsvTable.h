#pragma once

#include "data/csv/CsvFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// The records of a CSV file as text: fields split at the separator outside
// quotes, "" inside quotes read as one quote, line breaks inside quotes kept
// as they are. Each record knows the line of the file it starts on.
struct CsvTable
{
    QVector<QStringList> records;
    QVector<int> lines;      // 1-based line of each record's start
    int unclosedQuoteLine = 0; // a quote opened on this line runs to the end of the file

    // The text of the file: UTF-8 (a byte-order mark dropped, a byte that is
    // no UTF-8 read as U+FFFD) or Windows-1251.
    static QString decode(const QByteArray &bytes, CsvFormat::Encoding encoding);
    static bool hasUtf8Mark(const QByteArray &bytes);
    static bool isValidUtf8(const QByteArray &bytes);

    // Lines of empty fields are left out; at most maxRecords are read (-1: all).
    static CsvTable parse(const QString &text, QChar separator, int maxRecords = -1);
};
