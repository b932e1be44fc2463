#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

class TDm;

// A fresh database file in a temporary folder, made from the program's schema.
class TestDb
{
public:
    TestDb();
    ~TestDb();

    QString path() const;
    QString dir() const { return m_dir.path(); }

    // Direct SQL on the file, for arranging rows and checking what was stored.
    void exec(const QString &sql, const QVariantList &values = {}) const;
    QVariant scalar(const QString &sql, const QVariantList &values = {}) const;

    // A small catalogue: categories "Бухгалтерия"(1), "Игры"(2), "Пустая"(3);
    // years 2010(1), 2011(2); IDE "Студия"(1), "Редактор"(2); four projects,
    // three in category 1 and one in 2, two of them with sales.
    void fillSample() const;

    // Opens the data module on the file (the global Dm is set and cleared).
    TDm *openDm();
    void closeDm();

private:
    QTemporaryDir m_dir;
    QString m_connection;
    TDm *m_dm = nullptr;
};
