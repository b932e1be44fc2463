#pragma once

#include <QWidget>

class QScrollBar;

// Holds one panel of fixed arrangement at its full width, anchored to the
// top-left corner; what does not fit is cut off at the right edge instead of
// squeezing the panel, and a scroll bar below it then brings that part into
// view, so a narrow window (a screen too narrow for the full width) still
// reaches every frame.
class ClipPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ClipPanel(QWidget *content, QWidget *parent = nullptr);

    QScrollBar *scrollBar() const { return m_bar; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int barHeight() const;
    void place();

    QWidget *m_content;
    QScrollBar *m_bar;
};
