#pragma once

#include <QWidget>

// Holds one panel of fixed arrangement at its full width, anchored to the
// top-left corner; what does not fit is cut off at the right edge instead of
// squeezing the panel, so a narrow window simply hides its right-hand part.
class ClipPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ClipPanel(QWidget *content, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_content;
};
