// The main window's design: every control in its place, size, colour and font, in twips.
#include "ui/colors.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/form1_texts.h"
#include "ui/line_list.h"
#include "ui/main_controls.h"
#include "ui/status_label.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>

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

void createMainControls(QWidget *window, MainControls &c)
{
    c.window = window;
    window->setObjectName(QStringLiteral("Form1"));
    window->setWindowTitle(texts::ProgramName);
    window->setFont(normalFont());
    setWindowColors(window, colors::WindowBack);

    // Column 1: the title, white over black for a shadow, and the panel button.
    c.LabelProg1 = label(window, "LabelProg1", texts::ProgramName, QRect(280, 75, 1155, 510));
    c.LabelProg1->setFont(titleFont());
    c.LabelProg2 = label(window, "LabelProg2", texts::ProgramName, QRect(310, 60, 1155, 510));
    c.LabelProg2->setFont(titleFont());
    setForeColor(c.LabelProg2, colors::White);
    for (QLabel *title : {c.LabelProg1, c.LabelProg2})
        title->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.ButHidePanel =
        handButton(window, "ButHidePanel", texts::HidePanelCaption, QRect(200, 660, 1240, 300));

    // Column 2: login and Auto Start.
    c.TextLogin = place<QLineEdit>(window, "TextLogin", QRect(1560, 80, 1455, 285));
    c.TextLogin->setText(texts::UserPlaceholder);
    c.TextPw = place<QLineEdit>(window, "TextPw", QRect(1560, 380, 1455, 285));
    c.TextPw->setText(texts::PasswordPlaceholder);
    for (QLineEdit *box : {c.TextLogin, c.TextPw})
        setForeColor(box, colors::Blue);
    c.LabCheckAutoStart =
        label(window, "LabCheckAutoStart", texts::AutoStartCaption, QRect(2040, 705, 735, 255));
    c.CheckAutoStart = checkSquare(window, "CheckAutoStart", 2760, 690);

    // Column 3: scan button, interval and repeat switch.
    c.ButGo = handButton(window, "ButGo", texts::StartCaption, QRect(3240, 120, 1115, 300));
    setBackColor(c.ButGo, colors::LightGreen);
    c.LabTextTimerScan1 =
        label(window, "LabTextTimerScan1", texts::EveryCaption, QRect(3240, 525, 450, 255));
    c.TextTimerScan = place<QLineEdit>(window, "TextTimerScan", QRect(3690, 480, 375, 285));
    c.TextTimerScan->setText(QStringLiteral("15"));
    c.LabTextTimerScan2 =
        label(window, "LabTextTimerScan2", texts::MinutesCaption, QRect(4080, 525, 300, 255));
    c.ButTimerOnOff =
        handButton(window, "ButTimerOnOff", texts::TimerCaption, QRect(4530, 120, 535, 300));
    setBackColor(c.ButTimerOnOff, colors::PaleYellow);
    c.LabTimerOn = label(window, "LabTimerOn", texts::TimerOnCaption, QRect(4530, 480, 505, 195));
    c.LabTimerOff =
        label(window, "LabTimerOff", texts::TimerOffCaption, QRect(4530, 660, 505, 195));
    for (QLabel *small : {c.LabTimerOn, c.LabTimerOff}) {
        small->setFont(smallFont());
        small->setAlignment(Qt::AlignCenter);
    }
    // Repetition starts on: "ON" lit, "OFF" greyed.
    setBackColor(c.LabTimerOn, colors::LightGreen);
    setForeColor(c.LabTimerOff, colors::Grey);

    // Column 4: the three list options, a label with its check square.
    c.LabCheckFlter =
        label(window, "LabCheckFlter", texts::FilterCaption, QRect(5310, 95, 450, 255));
    c.CheckFlter = checkSquare(window, "CheckFlter", 5760, 80);
    c.LabCheckHideOff =
        label(window, "LabCheckHideOff", texts::OfflineCaption, QRect(5310, 400, 450, 255));
    c.CheckHideOff = checkSquare(window, "CheckHideOff", 5760, 385);
    c.LabCheckUser = label(window, "LabCheckUser", texts::UserCaption, QRect(5310, 705, 450, 255));
    c.CheckUser = checkSquare(window, "CheckUser", 5760, 690);

    // Column 5: About, Exit and the notification-area option.
    c.ButAbout = handButton(window, "ButAbout", texts::AboutCaption, QRect(6240, 120, 285, 300));
    c.ButExit = handButton(window, "ButExit", texts::ExitCaption, QRect(6600, 120, 895, 300));
    setBackColor(c.ButExit, colors::LightRed);
    c.LabCheckTray = label(window, "LabCheckTray", texts::TrayCaption, QRect(6240, 610, 960, 255));
    c.CheckTray = checkSquare(window, "CheckTray", 7200, 600);

    for (QLabel *optionLabel :
         {c.LabCheckAutoStart, c.LabCheckFlter, c.LabCheckHideOff, c.LabCheckUser, c.LabCheckTray})
        optionLabel->setCursor(Qt::PointingHandCursor);

    // The panel's frame: six columns lines and the closing line.
    c.LineV1 = line(window, "LineV1", 180, 0, 180, 960, colors::Black);
    c.LineV2 = line(window, "LineV2", 1440, 0, 1440, 960, colors::LineGrey);
    c.LineV3 = line(window, "LineV3", 3120, 0, 3120, 960, colors::LineGrey);
    c.LineV4 = line(window, "LineV4", 5160, 0, 5160, 960, colors::LineGrey);
    c.LineV5 = line(window, "LineV5", 6120, 0, 6120, 960, colors::LineGrey);
    c.LineV6 = line(window, "LineV6", 7605, 0, 7605, 960, colors::Black);
    c.LineHoriz = line(window, "LineHoriz", 180, 960, 7605, 960, colors::Black);

    // Status row.
    c.LabScanLast = label(window, "LabScanLast", QString(), QRect(180, 1140, 2055, 225));
    c.LabInfo =
        label<StatusLabel>(window, "LabInfo", texts::ProgramName, QRect(2227, 1140, 3360, 225));
    c.LabInfo->setAlignment(Qt::AlignCenter);
    c.LabScanNext = label(window, "LabScanNext", QString(), QRect(5570, 1140, 2055, 225));
    c.LabScanNext->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setBackColor(c.LabScanLast, colors::White);
    setBackColor(c.LabInfo, colors::White);
    for (QLabel *status : {c.LabScanLast, c.LabScanNext})
        status->setCursor(Qt::PointingHandCursor);

    // List title row.
    c.LabTitList1 =
        label(window, "LabTitList1", texts::FirstSessionTitle, QRect(180, 1380, 7445, 240));
    // The title of the session not shown waits in the tag.
    setBackColor(c.LabTitList1, colors::TitleGrey);
    c.LabTitList1->setCursor(Qt::PointingHandCursor);
    c.CheckList2All = place<QCheckBox>(window, "CheckList2All", QRect(220, 1410, 2500, 195));
    c.CheckList2All->setText(texts::CheckAllCaption);
    c.CheckList2All->setChecked(true);
    c.CheckList2All->setCursor(Qt::PointingHandCursor);
    setBackColor(c.CheckList2All, colors::Grey);
    c.CheckList2All->setAutoFillBackground(true);
    c.CheckList2All->hide();
    c.LabSession = label(window, "LabSession", QStringLiteral("2"), QRect(7370, 1380, 255, 240));
    setBackColor(c.LabSession, colors::TitleGrey);
    c.LabSession->setAlignment(Qt::AlignCenter);
    c.LabSession->setCursor(Qt::PointingHandCursor);

    // The two lists share one place; the management list is hidden at first.
    c.List1 = list(window, "List1", QRect(180, 1625, 7455, 1230), colors::PaleYellow, 195, false);
    c.List2 = list(window, "List2", QRect(180, 1625, 7455, 2760), colors::White, 225, true);
    c.List2->hide();

    // Help line: the help texts and, in the same place, the companion line.
    c.LabHelp = label(window, "LabHelp", QStringLiteral("LabHelp"), QRect(120, 4395, 7575, 195));
    setForeColor(c.LabHelp, colors::DarkGrey);
    c.LabHelpNom = label(window, "LabHelpNom", QString(), QRect(220, 4395, 7335, 255));
    c.LabHelpNom->setFont(listFont());
    setForeColor(c.LabHelpNom, colors::Green);
    c.LabHelpNom->hide();

    // The sorted list lies to the right of the window's edge, out of sight.
    c.ListTri = place<QListWidget>(window, "ListTri", QRect(8400, 840, 1215, 255));
    c.ListTri->setSortingEnabled(true);

    // The hidden-panel row.
    c.ButHideCheckFlter =
        handButton(window, "ButHideCheckFlter", texts::FilterOff, QRect(1470, 0, 1740, 275));
    c.ButHideCheckHideOff =
        handButton(window, "ButHideCheckHideOff", texts::HideOfflineOff, QRect(3160, 0, 1750, 275));
    c.ButHideCheckUser =
        handButton(window, "ButHideCheckUser", texts::NameDisplay, QRect(4880, 0, 1740, 275));
    for (QPushButton *toggle : {c.ButHideCheckFlter, c.ButHideCheckHideOff, c.ButHideCheckUser})
        toggle->hide();

    // Tab order of the login boxes: user name, then password.
    window->setTabOrder(c.TextLogin, c.TextPw);

    // Screen readers name a check square by the label beside it, a box by what it holds.
    for (const auto &[box, caption] : {std::pair{c.CheckAutoStart, c.LabCheckAutoStart},
                                       {c.CheckFlter, c.LabCheckFlter},
                                       {c.CheckHideOff, c.LabCheckHideOff},
                                       {c.CheckUser, c.LabCheckUser},
                                       {c.CheckTray, c.LabCheckTray}})
        box->setAccessibleName(caption->text().trimmed());
    c.TextLogin->setAccessibleName(texts::UserPlaceholder);
    c.TextPw->setAccessibleName(texts::PasswordPlaceholder);
    c.TextTimerScan->setAccessibleName(texts::IntervalName);
    c.ButAbout->setAccessibleName(texts::AboutHelp); // rather than "?"
    c.List1->setAccessibleName(texts::MainListName);
    c.List2->setAccessibleName(texts::ManageListName);
}

} // namespace amiscan
