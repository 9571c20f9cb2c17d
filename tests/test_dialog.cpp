// The dialog window: messages, confirmations and the About box, driven through the real widgets.
#include "dialog_driver.h"
#include "platform/url_opener.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/plain_text.h"
#include "ui/twips.h"
#include "widget_test_main.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>

#include <memory>

using namespace amiscan;

namespace {

int buttonTop(const QPushButton *button)
{
    return twipsGeometry(button).top();
}

} // namespace

class TestDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Form1> m_form;
    QList<QUrl> m_opened;
    WebAddressOpener m_systemOpener;

    Form1 &form() { return *m_form; }

    // Opens the About box from the button and checks it is there, shown and modeless.
    QPointer<Form2> openAbout()
    {
        QTest::mouseClick(form().ButAbout, Qt::LeftButton);
        QPointer<Form2> about = form().dialog();
        if (about && (!about->isVisible() || about->isModal()))
            return nullptr;
        return about;
    }

private slots:
    void initTestCase()
    {
        // Never start a browser: record the addresses instead.
        m_systemOpener = setWebAddressOpener([this](const QUrl &url) { m_opened << url; });
    }
    void cleanupTestCase() { setWebAddressOpener(m_systemOpener); }

    void init()
    {
        m_opened.clear();
        m_form = std::make_unique<Form1>(m_dir.path());
        m_form->load();
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void cleanup()
    {
        m_form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void message_twoLines()
    {
        bool seen = false;
        whenModalDialogShown(form(), [&](Form2 *dialog) {
            seen = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Amiscan"));
            QCOMPARE(dialog->Label1->text(), QStringLiteral("Invalid Vey Username"));
            QCOMPARE(dialog->Label2->text(), QStringLiteral("Please fill in this field"));
            QVERIFY(!dialog->Label3->isVisible());
            QVERIFY(!dialog->Label4->isVisible());
            QVERIFY(!dialog->LabURL->isVisible());
            QVERIFY(dialog->ButOk->isVisible());
            QVERIFY(!dialog->ButYes->isVisible());
            QVERIFY(!dialog->ButCancel->isVisible());
            QCOMPARE(buttonTop(dialog->ButOk), 960);
            // Modal, owned by the main window.
            QCOMPARE(dialog->parentWidget(), &form());
            QVERIFY(dialog->isModal());
            // A click on a line of a message does nothing.
            QTest::mouseClick(dialog->Label1, Qt::LeftButton);
            QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(3, 3));
            QVERIFY(dialog->isVisible());
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        form().showMessage(
            {QStringLiteral("Invalid Vey Username"), QStringLiteral("Please fill in this field")});
        QVERIFY(seen);
        // Closing released the dialog.
        QVERIFY(!form().dialog());
    }

    void message_threeLines()
    {
        bool seen = false;
        whenModalDialogShown(form(), [&](Form2 *dialog) {
            seen = true;
            QCOMPARE(dialog->Label3->text(), QStringLiteral("internet connection."));
            QVERIFY(dialog->Label3->isVisible());
            QVERIFY(dialog->ButOk->isVisible());
            QCOMPARE(buttonTop(dialog->ButOk), 1080);
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        form().showMessage({QStringLiteral("Unable to connect !"),
                            QStringLiteral("Please, check your"),
                            QStringLiteral("internet connection.")});
        QVERIFY(seen);
    }

    void message_notDismissedByALateActivationOfTheMainWindow()
    {
        bool stayed = false;
        whenModalDialogShown(form(), [&](Form2 *dialog) {
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(&form(), &activate);
            QTest::qWait(10);
            stayed = dialog->isVisible();
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        form().showMessage({QStringLiteral("Unable to login !"), QStringLiteral("b")});
        QVERIFY(stayed);
    }

    void dialog_placedOverTheMainWindow()
    {
        form().move(40, 30);
        QRect placed;
        whenModalDialogShown(form(), [&](Form2 *dialog) {
            placed = dialog->frameGeometry();
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        form().showMessage({QStringLiteral("a"), QStringLiteral("b")});
        const QRect main = form().frameGeometry();
        QVERIFY2(
            qAbs(placed.center().x() - main.center().x()) <= 1,
            qPrintable(QStringLiteral("%1 / %2").arg(placed.center().x()).arg(main.center().x())));
        QCOMPARE(placed.top(), main.top() + 187);
    }

    void confirmation_answers_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("top");
        const QStringList two{QStringLiteral("Alice"), QStringLiteral("Delete this friend ?")};
        const QStringList three{QStringLiteral("Alice Display"), QStringLiteral("( alice )"),
                                QStringLiteral(" Delete this friend ?")};
        QTest::newRow("two lines, Yes") << two << "ButYes" << true << 960;
        QTest::newRow("two lines, Cancel") << two << "ButCancel" << false << 960;
        QTest::newRow("three lines, Yes") << three << "ButYes" << true << 1080;
        QTest::newRow("three lines, Cancel") << three << "ButCancel" << false << 1080;
        QTest::newRow("three lines, Escape") << three << QString() << false << 1080;
    }
    void confirmation_answers()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, button);
        QFETCH(bool, answer);
        QFETCH(int, top);

        form().state.dialogAnswer = true; // a stale yes must not leak into this answer
        whenModalDialogShown(form(), [&](Form2 *dialog) {
            QVERIFY(!form().state.dialogAnswer);
            QVERIFY(!dialog->ButOk->isVisible());
            QVERIFY(dialog->ButYes->isVisible());
            QVERIFY(dialog->ButCancel->isVisible());
            QCOMPARE(dialog->Label3->isVisible(), lines.size() == 3);
            QCOMPARE(buttonTop(dialog->ButYes), top);
            QCOMPARE(buttonTop(dialog->ButCancel), top);
            QCOMPARE(dialog->Label1->text(), lines.at(0));
            if (button.isEmpty())
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
        });
        QCOMPARE(form().confirm(lines), answer);
        QCOMPARE(form().state.dialogAnswer, answer);
        QVERIFY(!form().dialog());
    }

    void eachUse_startsFromTheDesign()
    {
        QPointer<Form2> first;
        whenModalDialogShown(form(), [&](Form2 *dialog) {
            first = dialog;
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        form().showMessage(
            {QStringLiteral("Unable to login !"), QStringLiteral("x"), QStringLiteral("y")});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());

        // After a three-line message moved Ok down and a two-line one hid Label3.
        whenModalDialogShown(form(), [&](Form2 *dialog) {
            QCOMPARE(buttonTop(dialog->ButOk), 960);
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        form().showMessage({QStringLiteral("a"), QStringLiteral("b")});

        Form2 *fresh = form().loadDialog();
        QCOMPARE(fresh->Label2->text(), QStringLiteral("V1.00 - 12/34/56"));
        QCOMPARE(fresh->Label3->text(), QStringLiteral("Norvane Softwares"));
        QVERIFY(!fresh->Label3->isHidden());
        QCOMPARE(buttonTop(fresh->ButOk), 960);
        QCOMPARE(buttonTop(fresh->ButYes), 1080);
        form().unloadDialog();

        QPointer<Form2> about = openAbout();
        QVERIFY(about);
        QVERIFY(about->Label3->isVisible());
        QCOMPARE(about->Label3->text(), QStringLiteral("Norvane Softwares"));
    }

    void about_showsProgramVersionAndMaker()
    {
        QPointer<Form2> about = openAbout();
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QVERIFY(!about->parentWidget());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(about->Label1->text(), QStringLiteral("Amiscan"));
        QCOMPARE(about->Label2->text(), form().state.versionText);
        QVERIFY(about->Label2->text().startsWith(u'v'));
        QCOMPARE(about->Label3->text(), QStringLiteral("Norvane Softwares"));
        QVERIFY(about->LabURL->isVisible());
        QCOMPARE(QUrl(about->LabURL->text()).host(), QStringLiteral("amiscan.example.org"));
        QVERIFY(about->Label4->isVisible());
        QVERIFY(!about->Label4->text().isEmpty());
        for (QPushButton *button : {about->ButOk, about->ButYes, about->ButCancel})
            QVERIFY(!button->isVisible());
        QCOMPARE(form().focusWidget(), form().ListTri);
        // Every text shows whole, within its label and the box.
        for (QLabel *label :
             {about->Label1, about->Label2, about->Label3, about->LabURL, about->Label4}) {
            const QRect text = label->fontMetrics().boundingRect(
                label->contentsRect(), int(label->alignment()), label->text());
            QVERIFY2(label->contentsRect().contains(text), qPrintable(label->objectName()));
            QVERIFY2(about->rect().contains(text.translated(label->pos())),
                     qPrintable(label->objectName()));
        }
    }

    void about_entryPoints_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("? button") << "ButAbout";
        QTest::newRow("title") << "LabelProg1";
        QTest::newRow("title's light layer") << "LabelProg2";
    }
    void about_entryPoints()
    {
        QFETCH(QString, control);
        form().List1->setCurrentRow(1);
        QTest::mouseClick(form().findChild<QWidget *>(control), Qt::LeftButton);
        QVERIFY(form().dialog());
        QVERIFY(form().dialog()->isVisible());
        QCOMPARE(form().dialog()->windowTitle(), QStringLiteral("About"));
        QCOMPARE(form().List1->currentRow(), -1);
    }

    void about_closedByAClick_data()
    {
        QTest::addColumn<QString>("part");
        QTest::newRow("picture") << "Picture2";
        QTest::newRow("background") << "Form2";
        QTest::newRow("program name") << "Label1";
        QTest::newRow("version") << "Label2";
        QTest::newRow("maker") << "Label3";
    }
    void about_closedByAClick()
    {
        QFETCH(QString, part);
        QPointer<Form2> about = openAbout();
        QVERIFY(about);
        QWidget *target = part == "Form2" ? about.data() : about->findChild<QWidget *>(part);
        QVERIFY(target);
        // The background: a point no label covers.
        const QPoint where = target == about ? QPoint(3, 3) : target->rect().center();
        QTest::mouseClick(target, Qt::LeftButton, {}, where);
        QTRY_VERIFY(about.isNull());
        QVERIFY(!form().dialog());
    }

    void about_keptOpenByTheNoteAndTheAddress()
    {
        QPointer<Form2> about = openAbout();
        QVERIFY(about);
        QTest::mouseClick(about->Label4, Qt::LeftButton);
        QTest::mouseClick(about->LabURL, Qt::LeftButton);
        QTest::qWait(20);
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QCOMPARE(m_opened, QList<QUrl>{QUrl(Form2::makerAddress())});
    }

    void about_closedByReturningToTheMainWindow()
    {
        QPointer<Form2> about = openAbout();
        QVERIFY(about);
        QApplication::setActiveWindow(about);
        QVERIFY(QTest::qWaitForWindowActive(about));
        QVERIFY(about->isVisible());

        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        QTRY_VERIFY(about.isNull());
    }

    void about_closedByEscape()
    {
        QPointer<Form2> about = openAbout();
        QVERIFY(about);
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(about.isNull());
    }

    void about_closedWhenAMessageComes()
    {
        QPointer<Form2> about = openAbout();
        QVERIFY(about);
        bool aboutGone = false;
        whenModalDialogShown(form(), [&](Form2 *dialog) {
            aboutGone = !about || !about->isVisible();
            QVERIFY(dialog != about.data());
            QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
        });
        form().showMessage({QStringLiteral("a"), QStringLiteral("b")});
        QVERIFY(aboutGone);
        QTRY_VERIFY(about.isNull());
    }

    void about_doesNotOutliveTheMainWindow()
    {
        QPointer<Form2> about = openAbout();
        QVERIFY(about);
        m_form.reset();
        QVERIFY(about.isNull());
    }

    void serviceText_isShownLiterally()
    {
        const QString name = QStringLiteral("<b>x</b> & <i>y</i>");
        bool seen = false;
        whenModalDialogShown(form(), [&](Form2 *dialog) {
            seen = true;
            QCOMPARE(dialog->Label1->text(), name);
            QCOMPARE(dialog->Label1->textFormat(), Qt::PlainText);
            // Shown as its characters: as wide as the same text set as plain text.
            QLabel plain;
            plain.setFont(dialog->Label1->font());
            plain.setTextFormat(Qt::PlainText);
            plain.setText(name);
            QCOMPARE(dialog->Label1->sizeHint(), plain.sizeHint());
            QTest::mouseClick(dialog->ButCancel, Qt::LeftButton);
        });
        QVERIFY(!form().confirm({name, QStringLiteral("Delete this friend ?")}));
        QVERIFY(seen);

        // Every label of both windows, the help line included, shows plain text.
        Form2 dialog;
        QList<QLabel *> labels = form().findChildren<QLabel *>();
        labels += dialog.findChildren<QLabel *>();
        for (const QLabel *label : labels)
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
    }

    void plainToolTip_showsMarkupLiterally_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("markup") << "<b>x</b>";
        QTest::newRow("entities and blanks") << "a &amp;  b <br> c";
        QTest::newRow("plain") << "Last Scan : 12/10 - 10:30";
    }
    void plainToolTip_showsMarkupLiterally()
    {
        QFETCH(QString, text);
        const QString tip = plainToolTip(text);
        // Qt will read it as rich text, and that rich text reads back as the original.
        QVERIFY(Qt::mightBeRichText(tip));
        QTextDocument document;
        document.setHtml(tip);
        QCOMPARE(document.toPlainText(), text);

        form().LabInfo->setToolTip(tip);
        QCOMPARE(form().LabInfo->toolTip(), tip);
        QCOMPARE(plainToolTip(QString()), QString());
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestDialog)
#include "test_dialog.moc"
