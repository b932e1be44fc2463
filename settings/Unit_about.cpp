#include "settings/Unit_about.h"

TfrmAbout *frmAbout = nullptr;

TfrmAbout::TfrmAbout(QWidget *parent)
    : ModalWindow(QStringLiteral("О программе"), parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFrame(this, QSize(718, 450), WindowBorder::Single,
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
}

void TfrmAbout::bindData()
{
}
