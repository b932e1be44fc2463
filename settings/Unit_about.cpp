#include "settings/Unit_about.h"

#include "app/Unit_class.h"
#include "app/WindowFrame.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

TfrmAbout *frmAbout = nullptr;

const QString TfrmAbout::ContactAddress = QStringLiteral("sales-catalogue@example.org");

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget *parent) : ModalWindow(QStringLiteral("О программе"), parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFrame(this, QSize(718, 450), WindowBorder::Single,
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/about-32.png")));
    setFont(programFont());
    setMouseTracking(true);

    Image1 = label(this, "Image1", QString());
    Image1->setFixedSize(400, 350);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/about.jpg")));

    Label1 = label(this, "Label1", QStringLiteral("Программа учета продаж программных проектов"));
    Label1->setWordWrap(true);
    Label1->setFixedWidth(256);
    Label1->setFont(QFont(QStringLiteral("Verdana"), 14));
    Label1->setStyleSheet(QStringLiteral("color: blue"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label5 = label(this, "Label5", QStringLiteral("Разработчик"));
    QFont heading = font();
    heading.setPointSize(12);
    heading.setBold(true);
    Label5->setFont(heading);

    Label2 = label(this, "Label2", QStringLiteral("E-mail:"));
    lblEmail = label(this, "lblEmail", ContactAddress);
    lblEmail->setStyleSheet(QStringLiteral("color: green"));
    lblEmail->setCursor(Qt::PointingHandCursor);
    lblEmail->setMouseTracking(true);
    lblEmail->installEventFilter(this);
    Label2->setBuddy(lblEmail);
    setAddressPointSize(8);

    Label3 = label(this, "Label3", QStringLiteral("© 2013–2026 Разработчики каталога программных проектов"));

    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setFixedSize(75, 25);
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(btnClose); });

    auto *address = new QHBoxLayout;
    address->addWidget(Label2);
    address->addWidget(lblEmail);
    address->addStretch();

    auto *grid = new QGridLayout(this);
    grid->addWidget(Image1, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(Label1, 0, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(Label5, 1, 0);
    grid->addLayout(address, 2, 0);
    grid->addWidget(Label3, 3, 0);
    grid->addWidget(btnClose, 3, 1, Qt::AlignRight | Qt::AlignBottom);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
}

void TfrmAbout::bindData()
{
}

void TfrmAbout::setAddressPointSize(int points)
{
    QFont f = font();
    f.setPointSize(points);
    f.setUnderline(false);
    lblEmail->setFont(f);
    lblEmail->adjustSize(); // the label grows and shrinks with its text
}

void TfrmAbout::btnCloseClick(QObject *)
{
    close();
}

void TfrmAbout::lblEmailClick(QObject *)
{
    mailExec(ContactAddress, this);
}

void TfrmAbout::lblEmailMouseMove(QObject *)
{
    setAddressPointSize(10);
}

void TfrmAbout::FormMouseMove(QObject *)
{
    setAddressPointSize(8);
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblEmail) {
        if (event->type() == QEvent::MouseMove) {
            lblEmailMouseMove(lblEmail);
            return true; // else the move reaches the window's surface and shrinks it again
        }
        if (event->type() == QEvent::MouseButtonRelease
                 && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            lblEmailClick(lblEmail);
    }
    return ModalWindow::eventFilter(watched, event);
}

void TfrmAbout::mouseMoveEvent(QMouseEvent *event)
{
    FormMouseMove(this);
    ModalWindow::mouseMoveEvent(event);
}
