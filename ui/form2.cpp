#include "ui/form2.h"

#include "ui/colors.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/twips.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace amiscan {

Form2::Form2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("About"));
    setFont(normalFont());
    setWindowColors(this, colors::DialogBack);
    setTwipsGeometry(this, QRect(0, 0, 2850, 1470));

    // The focus sink comes first in the tab order and lies outside the client area.
    ButFocus = button(this, "ButFocus", QStringLiteral("ButFocus"), QRect(3600, 720, 975, 375));

    const QIcon icon(QStringLiteral(":/amiscan/amiscan.png"));
    setWindowIcon(icon);
    Picture2 = label(this, "Picture2", QString(), QRect(240, 360, 480, 480));
    Picture2->setPixmap(icon.pixmap(toPixels(480), toPixels(480)));
    Picture2->setScaledContents(true);

    Label1 = label(this, "Label1", QStringLiteral("Amiscan"), QRect(840, 240, 1965, 255));
    QFont bold = normalFont();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = label(this, "Label2", QStringLiteral("V1.00 - 12/34/56"), QRect(840, 480, 1935, 255));
    Label3 = label(this, "Label3", QStringLiteral("Norvane Softwares"), QRect(840, 720, 1935, 255));
    LabURL = label(this, "LabURL", makerAddress(), QRect(840, 960, 1935, 255));
    setForeColor(LabURL, colors::Blue);
    QFont underlined = normalFont();
    underlined.setUnderline(true);
    LabURL->setFont(underlined);
    LabURL->setCursor(Qt::PointingHandCursor);
    // Short enough to show whole: the label reaches past the box's right edge, and its text is
    // centred in it.
    Label4 = label(this, "Label4", QStringLiteral("Free - Vey credits to Ivo Marsk welcome"),
                   QRect(0, 1290, 2895, 255));
    Label4->setFont(smallFont());
    setForeColor(Label4, colors::DarkGrey);
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    ButOk = button(this, "ButOk", QStringLiteral("Ok"), QRect(878, 960, 1095, 255));
    ButYes = button(this, "ButYes", QStringLiteral("Yes"), QRect(398, 1080, 855, 255));
    ButCancel = button(this, "ButCancel", QStringLiteral("Cancel"), QRect(1598, 1080, 855, 255));

    // The design keeps each label's fixed text as its tag, for the About box.
    Label1->setProperty("tag", QStringLiteral("Amiscan"));
    Label3->setProperty("tag", QStringLiteral("Norvane Softwares"));
    LabURL->setProperty("tag", makerAddress());

    connectEvents();
}

Form2::~Form2() = default;

QString Form2::makerAddress()
{
    return QStringLiteral("https://amiscan.example.org/");
}

} // namespace amiscan
