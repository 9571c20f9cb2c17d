#include "ui/form1.h"

#include "lists/main_list_view.h"
#include "ui/dialog.h"
#include "ui/login_controls.h"
#include "ui/twips.h"

#include <QIcon>
#include <QListWidget>

namespace amiscan {

Form1::Form1(const QString &dataDir, QWidget *parent) : QWidget(parent), m_dataDir(dataDir)
{
    setWindowIcon(QIcon(QStringLiteral(":/amiscan/amiscan.png")));
    createControls();
    connectListOptions(*this);
    setTwipsGeometry(this, QRect(0, 0, 7905, 5295));
    connectLoginControls(*this);
    connectDialogControls(*this);
}

Form1::~Form1() = default;

int Form1::windowHeightTwips() const
{
    return twipsGeometry(this).height();
}

void Form1::setWindowHeightTwips(int height)
{
    QRect r = twipsGeometry(this);
    r.setHeight(height);
    setTwipsGeometry(this, r);
}

void Form1::fillInstructions()
{
    List1->clear();
    List1->addItem(QString());
    List1->addItem(QStringLiteral(" - Enter your <Vey Username> and your <Vey Password>,"));
    List1->addItem(QStringLiteral(" - Then click on <Start Scan>"));
    for (int i = 0; i < 12; ++i)
        List1->addItem(QString());

    List2->clear();
    const QStringList manageLines{
        QString(), QStringLiteral(" On this 2nd list, you can manage your Vey friends :"),
        QStringLiteral(" delete or select the ones you want to display")};
    for (int i = 0; i < manageLines.size(); ++i) {
        auto *item = new QListWidgetItem(manageLines.at(i), List2);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(i == 0 ? Qt::Unchecked : Qt::Checked);
    }
}

} // namespace amiscan
