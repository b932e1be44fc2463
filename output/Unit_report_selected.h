#pragma once

#include "output/BandedReport.h"
#include "output/ReportConnection.h"

#include <QWidget>

// The project sheet: a form that is never shown and only carries the report
// repSelect. Its single values come from sqlProjectRep and tblConfigs, its
// lines from sqlOrdersRep, all read when the pages are produced. Made for one
// request and destroyed when its preview closes.
class TfrmRepSelect : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmRepSelect(QWidget *parent = nullptr);

    BandedReport repSelect;

    ReportBand *bandTitle() { return repSelect.band(QStringLiteral("bandTitle")); }
    ReportBand *bandOrders() { return repSelect.band(QStringLiteral("bandOrders")); }
    ReportBand *bandFooter() { return repSelect.band(QStringLiteral("bandFooter")); }

private:
    ReportBand createTitleBand() const;
    ReportBand createOrdersBand() const;
    ReportBand createFooterBand() const;

    ReportConnection m_orders;
};
