#pragma once

#include "output/ReportFileParser.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <vector>

class ReportConnection;
class ReportSystem;

// A report project: the reports of one project file, loaded on open, each run
// through the output system with the data connection it names.
class ReportProject : public QObject
{
    Q_OBJECT
public:
    explicit ReportProject(const QString &name = QString(), QObject *parent = nullptr);

    QString projectFile; // full path of the file
    ReportSystem *engine = nullptr;

    // The connections the reports may name, found by their object names.
    void addConnection(ReportConnection *connection);

    // Loads the file; throws ReportError when it is missing or does not read.
    void open();
    void close();
    bool isActive() const { return m_active; }

    // Names of the reports in the file's order.
    QStringList reportNames() const;
    bool selectReport(const QString &name);
    // Runs the selected report; throws ReportError when its data connection
    // or one of its fields is unknown.
    void execute();

private:
    BandedReport bind(const ReportDefinition &definition) const;
    ReportConnection *connection(const QString &name) const;

    std::vector<ReportDefinition> m_reports;
    int m_selected = -1;
    bool m_active = false;
    QList<QPointer<ReportConnection>> m_connections;
};
