// The two windows' design: every control under its name, in its place, size and colour.
#include "ui/colors.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/line_list.h"
#include "ui/twips.h"
#include "widget_test_main.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace amiscan;

namespace {

QString captionOf(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (auto *edit = qobject_cast<const QLineEdit *>(w))
        return edit->text();
    return {};
}

} // namespace

class TestMainWindowDesign : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("hand");

        auto row = [](const char *name, QRect r, const QString &caption, bool hand) {
            QTest::newRow(name) << QString::fromLatin1(name) << r << caption << hand;
        };
        row("LabelProg1", {280, 75, 1155, 510}, "Amiscan", false);
        row("LabelProg2", {310, 60, 1155, 510}, "Amiscan", false);
        row("ButHidePanel", {200, 660, 1240, 300}, "Hide Panel", true);
        row("TextLogin", {1560, 80, 1455, 285}, "Vey Username", false);
        row("TextPw", {1560, 380, 1455, 285}, "Vey Password", false);
        row("LabCheckAutoStart", {2040, 705, 735, 255}, "Auto Start", true);
        row("CheckAutoStart", {2760, 690, 255, 255}, "", true);
        row("ButGo", {3240, 120, 1115, 300}, "Start Scan", true);
        row("LabTextTimerScan1", {3240, 525, 450, 255}, "every  ", false);
        row("TextTimerScan", {3690, 480, 375, 285}, "15", false);
        row("LabTextTimerScan2", {4080, 525, 300, 255}, "mn", false);
        row("ButTimerOnOff", {4530, 120, 535, 300}, "Timer", true);
        row("LabTimerOn", {4530, 480, 505, 195}, "ON", false);
        row("LabTimerOff", {4530, 660, 505, 195}, "OFF", false);
        row("CheckFlter", {5760, 80, 255, 255}, "", true);
        row("CheckHideOff", {5760, 385, 255, 255}, "", true);
        row("CheckUser", {5760, 690, 255, 255}, "", true);
        row("LabCheckFlter", {5310, 95, 450, 255}, "Filter", true);
        row("LabCheckHideOff", {5310, 400, 450, 255}, "Offline", true);
        row("LabCheckUser", {5310, 705, 450, 255}, "User", true);
        row("ButAbout", {6240, 120, 285, 300}, "?", true);
        row("ButExit", {6600, 120, 895, 300}, "Exit", true);
        row("LabCheckTray", {6240, 610, 960, 255}, "Minimize icon ", true);
        row("CheckTray", {7200, 600, 255, 255}, "", true);
        row("LineV1", {180, 0, 15, 960}, "", false);
        row("LineV2", {1440, 0, 15, 960}, "", false);
        row("LineV3", {3120, 0, 15, 960}, "", false);
        row("LineV4", {5160, 0, 15, 960}, "", false);
        row("LineV5", {6120, 0, 15, 960}, "", false);
        row("LineV6", {7605, 0, 15, 960}, "", false);
        row("LineHoriz", {180, 960, 7425, 15}, "", false);
        row("LabScanLast", {180, 1140, 2055, 225}, "", true);
        row("LabInfo", {2227, 1140, 3360, 225}, "Amiscan", false);
        row("LabScanNext", {5570, 1140, 2055, 225}, "", true);
        row("LabTitList1", {180, 1380, 7445, 240}, texts::FirstSessionTitle, true);
        row("CheckList2All", {220, 1410, 2500, 195}, "Uncheck/Check all friends", true);
        row("LabSession", {7370, 1380, 255, 240}, "2", true);
        row("List1", {180, 1625, 7455, 1230}, "", false);
        row("List2", {180, 1625, 7455, 2760}, "", false);
        row("LabHelp", {120, 4395, 7575, 195}, "LabHelp", false);
        row("LabHelpNom", {220, 4395, 7335, 255}, "", false);
        row("ListTri", {8400, 840, 1215, 255}, "", false);
        row("ButHideCheckFlter", {1470, 0, 1740, 275}, "Filter enabled: OFF", true);
        row("ButHideCheckHideOff", {3160, 0, 1750, 275}, "Hide offline: OFF", true);
        row("ButHideCheckUser", {4880, 0, 1740, 275}, "Name : Display Name", true);
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(QString, caption);
        QFETCH(bool, hand);

        Form1 form(m_dir.path());
        auto *control = form.findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(twipsGeometry(control), twips);
        QCOMPARE(control->geometry(), toPixels(twips));
        QCOMPARE(captionOf(control), caption);
        QCOMPARE(control->cursor().shape() == Qt::PointingHandCursor, hand);
    }

    void colours()
    {
        Form1 form(m_dir.path());
        QCOMPARE(backColor(&form), QColor(225, 236, 235));
        QCOMPARE(backColor(form.ButGo), QColor(192, 255, 192));
        QCOMPARE(backColor(form.ButExit), QColor(255, 192, 192));
        QCOMPARE(backColor(form.ButTimerOnOff), QColor(255, 255, 241));
        QCOMPARE(backColor(form.LabScanLast), QColor(255, 255, 255));
        QCOMPARE(backColor(form.LabInfo), QColor(255, 255, 255));
        QCOMPARE(backColor(form.LabTitList1), QColor(224, 224, 224));
        QCOMPARE(backColor(form.CheckList2All), QColor(192, 192, 192));
        QCOMPARE(backColor(form.List1), QColor(255, 255, 241));
        QCOMPARE(backColor(form.List2), QColor(255, 255, 255));
        QCOMPARE(foreColor(form.TextLogin), QColor(0, 0, 255));
        QCOMPARE(foreColor(form.TextPw), QColor(0, 0, 255));
        QCOMPARE(foreColor(form.LabelProg2), QColor(255, 255, 255));
        QCOMPARE(foreColor(form.LabHelp), QColor(64, 64, 64));
        QCOMPARE(foreColor(form.LabHelpNom), QColor(0, 128, 0));
        for (QWidget *grey : {form.LineV2, form.LineV3, form.LineV4, form.LineV5})
            QCOMPARE(backColor(grey), QColor(128, 128, 128));
    }

    void fonts_listsAreFixedPitch()
    {
        Form1 form(m_dir.path());
        for (QWidget *w : {static_cast<QWidget *>(form.List1), static_cast<QWidget *>(form.List2),
                           static_cast<QWidget *>(form.LabHelpNom)}) {
            const QFontInfo info(w->font());
            QVERIFY2(info.fixedPitch(), qPrintable(info.family()));
            QCOMPARE(w->font().pointSizeF(), 9.75);
        }
        QVERIFY(form.LabelProg1->font().bold());
    }

    void hiddenControlsAndTimers()
    {
        Form1 form(m_dir.path());
        form.show();
        QVERIFY(!form.ButHideCheckFlter->isVisible());
        QVERIFY(!form.ButHideCheckHideOff->isVisible());
        QVERIFY(!form.ButHideCheckUser->isVisible());
        QVERIFY(!form.List2->isVisible());
        QVERIFY(!form.CheckList2All->isVisible());
        QVERIFY(form.CheckList2All->isChecked());
        QVERIFY(form.ListTri->isSortingEnabled());
        // The sorted list is outside the window, so nobody sees it take the focus.
        QVERIFY(form.ListTri->geometry().left() >= form.width());
        QCOMPARE(form.findChild<QTimer *>("Timer1")->interval(), 3000);
        QCOMPARE(form.findChild<QTimer *>("TimerScan")->interval(), 60000);
        QVERIFY(!form.windowIcon().isNull());
    }

    void dialog_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("caption");
        auto row = [](const char *name, QRect r, const QString &caption) {
            QTest::newRow(name) << QString::fromLatin1(name) << r << caption;
        };
        row("Picture2", {240, 360, 480, 480}, "");
        row("Label1", {840, 240, 1965, 255}, "Amiscan");
        row("Label2", {840, 480, 1935, 255}, "V1.00 - 12/34/56");
        row("Label3", {840, 720, 1935, 255}, "Norvane Softwares");
        row("LabURL", {840, 960, 1935, 255}, Form2::makerAddress());
        row("ButOk", {878, 960, 1095, 255}, "Ok");
        row("ButYes", {398, 1080, 855, 255}, "Yes");
        row("ButCancel", {1598, 1080, 855, 255}, "Cancel");
        row("ButFocus", {3600, 720, 975, 375}, "ButFocus");
    }

    void dialog()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(QString, caption);
        Form2 dialog;
        auto *control = dialog.findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(twipsGeometry(control), twips);
        QCOMPARE(captionOf(control), caption);
    }

    void dialog_window()
    {
        Form2 dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
        QCOMPARE(twipsGeometry(&dialog).size(), QSize(2850, 1470));
        QCOMPARE(backColor(&dialog), QColor(221, 221, 221));
        QCOMPARE(foreColor(dialog.LabURL), QColor(0, 0, 255));
        QVERIFY(dialog.LabURL->font().underline());
        QVERIFY(dialog.Label1->font().bold());
        QCOMPARE(twipsGeometry(dialog.Label4), QRect(0, 1290, 2895, 255));
        QCOMPARE(foreColor(dialog.Label4), QColor(64, 64, 64));
        QVERIFY(!dialog.Label4->text().isEmpty());
        QVERIFY(!dialog.Picture2->pixmap().isNull());
        // The focus sink lies outside the client area.
        QVERIFY(dialog.ButFocus->geometry().left() >= dialog.width());
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestMainWindowDesign)
#include "test_main_window_design.moc"
