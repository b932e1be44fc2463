#include "settings/Unit_config.h"

#include "app/DBEdit.h"
#include "app/Messages.h"
#include "app/WindowFrame.h"
#include "data/module/UnitDM.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TfrmOption *frmOption = nullptr;

const QString TfrmOption::DefaultIp = QStringLiteral("127.0.0.1");
const QString TfrmOption::DefaultBrowser = QStringLiteral("C:\\Program Files\\TortoiseSVN\\bin\\TortoiseProc.exe");

TfrmOption::TfrmOption(QWidget *parent) : EditDialog(QStringLiteral("Настройки"), parent)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowFrame(this, QSize(473, 227), WindowBorder::Single);
    setFont(programFont());
    setWindowIcon(QIcon(QStringLiteral(":/icons/settings.png")));

    Label3 = new QLabel(QStringLiteral("Если у Вас есть настроенный репозиторий, то здесь укажите несколько "
                                       "параметров: \"Путь к TortoiseSVN и IP-адрес репозитория.\""), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPixelSize(16);
    Label3->setFont(verdana);

    DBEdit1 = new DBEdit(this);
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    Label2 = new QLabel(QStringLiteral("Путь к TortoiseSVN:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setBuddy(DBEdit1);

    editIP = new DBEdit(this);
    editIP->setObjectName(QStringLiteral("editIP"));
    editIP->setFixedWidth(121);
    Label1 = new QLabel(QStringLiteral("IP-адрес репозитория:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(editIP);

    BitBtn1 = new QPushButton(QStringLiteral("Сохранить и закрыть"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Закрыть"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addWidget(Label2);
    layout->addWidget(DBEdit1);
    layout->addWidget(Label1);
    layout->addWidget(editIP);
    layout->addStretch();
    layout->addLayout(buttons);

    setTabOrder(editIP, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, DBEdit1);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(BitBtn2); });
}

void TfrmOption::bindData()
{
    DBEdit1->setDataSource(Dm->DsConfigs);
    DBEdit1->setDataField(QStringLiteral("path_TortoiseSVN"));
    editIP->setDataSource(Dm->DsConfigs);
    editIP->setDataField(QStringLiteral("repository_ip"));
    setEditedDataset(Dm->tblConfigs);
}

void TfrmOption::showEvent(QShowEvent *event)
{
    EditDialog::showEvent(event);
    FormShow();
}

void TfrmOption::storeDefaultsOnce()
{
    if (Dm->tblConfigs->recordCount() > 0)
        return; // a stored row is never refilled, even when empty
    Dm->tblConfigs->append();
    Dm->tblConfigsrepository_ip->setAsString(DefaultIp);
    Dm->tblConfigspath_TortoiseSVN->setAsString(DefaultBrowser);
    Dm->tblConfigs->post();
}

void TfrmOption::FormShow()
{
    // The projects dataset, not the settings one, decides: as the original does.
    if (!Dm->tblProject->canModify()) {
        showNotice(this, QStringLiteral("Ошибка"), QStringLiteral("Нельзя модифицировать данные"));
        QTimer::singleShot(0, this, &QDialog::reject); // close once the show has finished
        return;
    }
    storeDefaultsOnce();
    Dm->tblConfigs->first();
    Dm->tblConfigs->edit();
    editIP->setFocus();
}

void TfrmOption::BitBtn1Click(QObject *)
{
    // A refused post keeps the dialog open with the row in edit state.
    if (Dm->tblConfigs->isModified())
        Dm->tblConfigs->post();
    accept();
}

void TfrmOption::BitBtn2Click(QObject *)
{
    reject();
}

void TfrmOption::FormClose()
{
    if (Dm->tblProject->canModify())
        Dm->tblConfigs->cancel();
}
