#include "output/ReportProject.h"

#include "output/ReportConnection.h"
#include "output/ReportError.h"
#include "output/ReportSystem.h"

ReportProject::ReportProject(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
}

void ReportProject::addConnection(ReportConnection *connection)
{
    m_connections.append(connection);
}

void ReportProject::open()
{
    close();
    m_reports = readReportProject(projectFile);
    m_active = true;
}

void ReportProject::close()
{
    m_reports.clear();
    m_selected = -1;
    m_active = false;
}

QStringList ReportProject::reportNames() const
{
    QStringList names;
    for (const ReportDefinition &d : m_reports)
        names << d.report.name;
    return names;
}

bool ReportProject::selectReport(const QString &name)
{
    m_selected = int(reportNames().indexOf(name));
    return m_selected >= 0;
}

void ReportProject::execute()
{
    if (m_selected < 0 || m_selected >= int(m_reports.size()))
        throw ReportError(QStringLiteral("No report selected in report project \"%1\"").arg(projectFile));
    if (!engine)
        throw ReportError(QStringLiteral("Report project \"%1\" has no output system").arg(projectFile));
    const BandedReport report = bind(m_reports[size_t(m_selected)]);
    engine->execute(report);
}

BandedReport ReportProject::bind(const ReportDefinition &definition) const
{
    BandedReport report = definition.report;
    if (definition.connection.isEmpty())
        return report;
    ReportConnection *data = connection(definition.connection);
    if (!data)
        throw ReportError(QStringLiteral("Report \"%1\": data connection \"%2\" not found")
                              .arg(report.name, definition.connection));
    for (const ReportBand &band : report.bands)
        for (const ReportItem &item : band.items)
            if (!item.field.isEmpty() && !data->hasField(item.field))
                throw ReportError(QStringLiteral("Report \"%1\": field \"%2\" not found in data connection \"%3\"")
                                      .arg(report.name, item.field, definition.connection));
    report.data = data;
    return report;
}

ReportConnection *ReportProject::connection(const QString &name) const
{
    for (const QPointer<ReportConnection> &c : m_connections)
        if (c && c->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}
