// The main window's design: every control in its place, size, colour and font, in twips.
#include "ui/colors.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/form1.h"
#include "ui/line_list.h"
#include "ui/status_label.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>

#include <utility>

namespace amiscan {

namespace {

// The main window's buttons show the hand over them.
QPushButton *handButton(QWidget *parent, const char *name, const QString &caption,
                        const QRect &twips)
{
    QPushButton *control = button(parent, name, caption, twips);
    control->setCursor(Qt::PointingHandCursor);
    return control;
}

QCheckBox *checkSquare(QWidget *parent, const char *name, int left, int top)
{
    auto *control = place<QCheckBox>(parent, name, QRect(left, top, 255, 255));
    control->setCursor(Qt::PointingHandCursor);
    return control;
}

QFrame *line(QWidget *parent, const char *name, int x1, int y1, int x2, int y2, const QColor &color)
{
    // A line is a one-pixel strip from (x1, y1) to (x2, y2).
    const QRect twips =
        x1 == x2 ? QRect(x1, y1, TwipsPerPixel, y2 - y1) : QRect(x1, y1, x2 - x1, TwipsPerPixel);
    auto *control = place<QFrame>(parent, name, twips);
    control->setFrameShape(QFrame::NoFrame);
    // Drawn on the window: the mouse over a line is over the bare window.
    control->setAttribute(Qt::WA_TransparentForMouseEvents);
    setBackColor(control, color);
    return control;
}

// List rows have the design's fixed height whatever the font's leading.
class FixedRowDelegate final : public QStyledItemDelegate
{
public:
    FixedRowDelegate(int rowTwips, QObject *parent)
        : QStyledItemDelegate(parent), m_rowPixels(toPixels(rowTwips))
    {
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_rowPixels);
    }

private:
    int m_rowPixels;
};

LineList *list(QWidget *parent, const char *name, const QRect &twips, const QColor &back,
               int rowTwips, bool checkable)
{
    auto *control = new LineList(checkable, parent);
    control->setObjectName(QLatin1StringView(name));
    setTwipsGeometry(control, twips);
    control->setItemDelegate(new FixedRowDelegate(rowTwips, control));
    control->setFont(listFont());
    control->setUniformItemSizes(true);
    control->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A line wider than the list is cut by its edge: an ellipsis would hide the line's last
    // characters behind one that is no part of it.
    control->setTextElideMode(Qt::ElideNone);
    setBackColor(control, back);
    setForeColor(control, colors::Black);
    return control;
}

} // namespace

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(texts::ProgramName);
    setFont(normalFont());
    setWindowColors(this, colors::WindowBack);

    // Column 1: the title, white over black for a shadow, and the panel button.
    LabelProg1 = label(this, "LabelProg1", texts::ProgramName, QRect(280, 75, 1155, 510));
    LabelProg1->setFont(titleFont());
    LabelProg2 = label(this, "LabelProg2", texts::ProgramName, QRect(310, 60, 1155, 510));
    LabelProg2->setFont(titleFont());
    setForeColor(LabelProg2, colors::White);
    for (QLabel *title : {LabelProg1, LabelProg2})
        title->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ButHidePanel =
        handButton(this, "ButHidePanel", texts::HidePanelCaption, QRect(200, 660, 1240, 300));

    // Column 2: login and Auto Start.
    TextLogin = place<QLineEdit>(this, "TextLogin", QRect(1560, 80, 1455, 285));
    TextLogin->setText(texts::UserPlaceholder);
    TextPw = place<QLineEdit>(this, "TextPw", QRect(1560, 380, 1455, 285));
    TextPw->setText(texts::PasswordPlaceholder);
    for (QLineEdit *box : {TextLogin, TextPw})
        setForeColor(box, colors::Blue);
    LabCheckAutoStart =
        label(this, "LabCheckAutoStart", texts::AutoStartCaption, QRect(2040, 705, 735, 255));
    CheckAutoStart = checkSquare(this, "CheckAutoStart", 2760, 690);

    // Column 3: scan button, interval and repeat switch.
    ButGo = handButton(this, "ButGo", texts::StartCaption, QRect(3240, 120, 1115, 300));
    setBackColor(ButGo, colors::LightGreen);
    LabTextTimerScan1 =
        label(this, "LabTextTimerScan1", texts::EveryCaption, QRect(3240, 525, 450, 255));
    TextTimerScan = place<QLineEdit>(this, "TextTimerScan", QRect(3690, 480, 375, 285));
    TextTimerScan->setText(QStringLiteral("15"));
    LabTextTimerScan2 =
        label(this, "LabTextTimerScan2", texts::MinutesCaption, QRect(4080, 525, 300, 255));
    ButTimerOnOff =
        handButton(this, "ButTimerOnOff", texts::TimerCaption, QRect(4530, 120, 535, 300));
    setBackColor(ButTimerOnOff, colors::PaleYellow);
    LabTimerOn = label(this, "LabTimerOn", texts::TimerOnCaption, QRect(4530, 480, 505, 195));
    LabTimerOff = label(this, "LabTimerOff", texts::TimerOffCaption, QRect(4530, 660, 505, 195));
    for (QLabel *small : {LabTimerOn, LabTimerOff}) {
        small->setFont(smallFont());
        small->setAlignment(Qt::AlignCenter);
    }
    // Repetition starts on: "ON" lit, "OFF" greyed.
    setBackColor(LabTimerOn, colors::LightGreen);
    setForeColor(LabTimerOff, colors::Grey);

    // Column 4: the three list options, a label with its check square.
    LabCheckFlter = label(this, "LabCheckFlter", texts::FilterCaption, QRect(5310, 95, 450, 255));
    CheckFlter = checkSquare(this, "CheckFlter", 5760, 80);
    LabCheckHideOff =
        label(this, "LabCheckHideOff", texts::OfflineCaption, QRect(5310, 400, 450, 255));
    CheckHideOff = checkSquare(this, "CheckHideOff", 5760, 385);
    LabCheckUser = label(this, "LabCheckUser", texts::UserCaption, QRect(5310, 705, 450, 255));
    CheckUser = checkSquare(this, "CheckUser", 5760, 690);

    // Column 5: About, Exit and the notification-area option.
    ButAbout = handButton(this, "ButAbout", texts::AboutCaption, QRect(6240, 120, 285, 300));
    ButExit = handButton(this, "ButExit", texts::ExitCaption, QRect(6600, 120, 895, 300));
    setBackColor(ButExit, colors::LightRed);
    LabCheckTray = label(this, "LabCheckTray", texts::TrayCaption, QRect(6240, 610, 960, 255));
    CheckTray = checkSquare(this, "CheckTray", 7200, 600);

    for (QLabel *optionLabel :
         {LabCheckAutoStart, LabCheckFlter, LabCheckHideOff, LabCheckUser, LabCheckTray})
        optionLabel->setCursor(Qt::PointingHandCursor);

    // The panel's frame: six columns lines and the closing line.
    LineV1 = line(this, "LineV1", 180, 0, 180, 960, colors::Black);
    LineV2 = line(this, "LineV2", 1440, 0, 1440, 960, colors::LineGrey);
    LineV3 = line(this, "LineV3", 3120, 0, 3120, 960, colors::LineGrey);
    LineV4 = line(this, "LineV4", 5160, 0, 5160, 960, colors::LineGrey);
    LineV5 = line(this, "LineV5", 6120, 0, 6120, 960, colors::LineGrey);
    LineV6 = line(this, "LineV6", 7605, 0, 7605, 960, colors::Black);
    LineHoriz = line(this, "LineHoriz", 180, 960, 7605, 960, colors::Black);

    // Status row.
    LabScanLast = label(this, "LabScanLast", QString(), QRect(180, 1140, 2055, 225));
    LabInfo = label<StatusLabel>(this, "LabInfo", texts::ProgramName, QRect(2227, 1140, 3360, 225));
    LabInfo->setAlignment(Qt::AlignCenter);
    LabScanNext = label(this, "LabScanNext", QString(), QRect(5570, 1140, 2055, 225));
    LabScanNext->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setBackColor(LabScanLast, colors::White);
    setBackColor(LabInfo, colors::White);
    for (QLabel *status : {LabScanLast, LabScanNext})
        status->setCursor(Qt::PointingHandCursor);

    // List title row.
    LabTitList1 = label(this, "LabTitList1", texts::FirstSessionTitle, QRect(180, 1380, 7445, 240));
    // The title of the session not shown waits in the tag.
    LabTitList1->setProperty("tag", texts::SecondSessionTitle);
    setBackColor(LabTitList1, colors::TitleGrey);
    LabTitList1->setCursor(Qt::PointingHandCursor);
    CheckList2All = place<QCheckBox>(this, "CheckList2All", QRect(220, 1410, 2500, 195));
    CheckList2All->setText(texts::CheckAllCaption);
    CheckList2All->setChecked(true);
    CheckList2All->setCursor(Qt::PointingHandCursor);
    setBackColor(CheckList2All, colors::Grey);
    CheckList2All->setAutoFillBackground(true);
    CheckList2All->hide();
    LabSession = label(this, "LabSession", QStringLiteral("2"), QRect(7370, 1380, 255, 240));
    setBackColor(LabSession, colors::TitleGrey);
    LabSession->setAlignment(Qt::AlignCenter);
    LabSession->setCursor(Qt::PointingHandCursor);

    // The two lists share one place; the management list is hidden at first.
    List1 = list(this, "List1", QRect(180, 1625, 7455, 1230), colors::PaleYellow, 195, false);
    List2 = list(this, "List2", QRect(180, 1625, 7455, 2760), colors::White, 225, true);
    List2->hide();

    // Help line: the help texts and, in the same place, the companion line.
    LabHelp = label(this, "LabHelp", QStringLiteral("LabHelp"), QRect(120, 4395, 7575, 195));
    setForeColor(LabHelp, colors::DarkGrey);
    LabHelpNom = label(this, "LabHelpNom", QString(), QRect(220, 4395, 7335, 255));
    LabHelpNom->setFont(listFont());
    setForeColor(LabHelpNom, colors::Green);
    LabHelpNom->hide();

    // The sorted list lies to the right of the window's edge, out of sight.
    ListTri = place<QListWidget>(this, "ListTri", QRect(8400, 840, 1215, 255));
    ListTri->setSortingEnabled(true);

    // The hidden-panel row.
    ButHideCheckFlter =
        handButton(this, "ButHideCheckFlter", texts::FilterOff, QRect(1470, 0, 1740, 275));
    ButHideCheckHideOff =
        handButton(this, "ButHideCheckHideOff", texts::HideOfflineOff, QRect(3160, 0, 1750, 275));
    ButHideCheckUser =
        handButton(this, "ButHideCheckUser", texts::NameDisplay, QRect(4880, 0, 1740, 275));
    for (QPushButton *toggle : {ButHideCheckFlter, ButHideCheckHideOff, ButHideCheckUser})
        toggle->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    TimerScan = new QTimer(this);
    TimerScan->setObjectName(QStringLiteral("TimerScan"));
    TimerScan->setInterval(60000);

    // Tab order of the login boxes: user name, then password.
    setTabOrder(TextLogin, TextPw);

    // Screen readers name a check square by the label beside it, a box by what it holds.
    for (const auto &[box, caption] : {std::pair{CheckAutoStart, LabCheckAutoStart},
                                       {CheckFlter, LabCheckFlter},
                                       {CheckHideOff, LabCheckHideOff},
                                       {CheckUser, LabCheckUser},
                                       {CheckTray, LabCheckTray}})
        box->setAccessibleName(caption->text().trimmed());
    TextLogin->setAccessibleName(texts::UserPlaceholder);
    TextPw->setAccessibleName(texts::PasswordPlaceholder);
    TextTimerScan->setAccessibleName(texts::IntervalName);
    ButAbout->setAccessibleName(texts::AboutHelp); // rather than "?"
    List1->setAccessibleName(texts::MainListName);
    List2->setAccessibleName(texts::ManageListName);
}

} // namespace amiscan
