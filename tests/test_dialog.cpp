// The dialog window: messages, confirmations and the About box, driven through the real widgets.
#include "dialog_driver.h"
#include "platform/url_opener.h"
#include "ui/line_list.h"
#include "ui/plain_text.h"
#include "widget_test_main.h"
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>
#include <memory>

using namespace amiscan;

class TestDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Form1> m_form;
    QList<QUrl> m_opened;
    WebAddressOpener m_systemOpener;
    Form1 &form() { return *m_form; }
    // Opens the About box from the button; null unless it is there, shown and modeless.
    QPointer<Form2> openAbout()
    {
        QTest::mouseClick(form().ButAbout, Qt::LeftButton);
        QPointer<Form2> about = form().dialog();
        return about && about->isVisible() && !about->isModal() ? about : nullptr;
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
    void cleanup() { m_form.reset(); }

    // A message is modal, owned and centred over the main window, and stays until Ok, whatever
    // is clicked or activated meanwhile. Each use starts from the design: the Ok a three-line
    // message moved down is back for the next one.
    void message_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("two lines") << QStringList{"Invalid Vey Username", "Please fill in"};
        QTest::newRow("three lines")
            << QStringList{"Unable to connect !", "Please, check your", "internet connection."};
    }
    void message()
    {
        QFETCH(QStringList, lines);
        form().move(40, 30);
        const Form2 design;
        for (const QStringList &shown : {lines, QStringList{"a", "b"}}) {
            bool seen = false;
            whenModalDialogAppears(form(), [&](Form2 *dialog) {
                seen = true;
                QCOMPARE(dialog->Label1->text(), shown.at(0));
                QCOMPARE(dialog->Label3->isVisible(), shown.size() == 3);
                QCOMPARE(dialog->ButOk->geometry() == design.ButOk->geometry(), shown.size() == 2);
                QVERIFY(!dialog->LabURL->isVisible() && !dialog->ButYes->isVisible());
                QVERIFY(dialog->isModal() && dialog->parentWidget() == &form());
                QVERIFY(qAbs(dialog->frameGeometry().center().x() -
                             form().frameGeometry().center().x()) <= 1);
                QTest::mouseClick(dialog->Label1, Qt::LeftButton);
                QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(3, 3));
                QEvent activate(QEvent::WindowActivate);
                QApplication::sendEvent(&form(), &activate);
                QTest::qWait(10);
                QVERIFY(dialog->isVisible());
                QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
            });
            form().showMessage(shown);
            QVERIFY(seen);
            QVERIFY(!form().dialog()); // closing released it
        }
    }

    // Names come from a web page: a name with markup shows as its characters.
    void confirmation_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("answer");
        const QStringList two{"Alice", "Delete this friend ?"};
        const QStringList three{"Alice Display", "( alice )", " Delete this friend ?"};
        QTest::newRow("two lines, Yes") << two << "ButYes" << true;
        QTest::newRow("two lines, Cancel") << two << "ButCancel" << false;
        QTest::newRow("three lines, Yes") << three << "ButYes" << true;
        QTest::newRow("three lines, Escape") << three << QString() << false;
        QTest::newRow("markup") << QStringList{"<b>x</b> & <i>y</i>", "Delete this friend ?"}
                                << "ButYes" << true;
    }
    void confirmation()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, button);
        QFETCH(bool, answer);
        form().state.dialogAnswer = true; // a stale yes must not leak into this answer
        whenModalDialogAppears(form(), [&](Form2 *dialog) {
            QVERIFY(!form().state.dialogAnswer);
            QVERIFY(!dialog->ButOk->isVisible() && dialog->ButYes->isVisible());
            QCOMPARE(dialog->Label3->isVisible(), lines.size() == 3);
            QCOMPARE(dialog->Label1->text(), lines.at(0));
            QLabel plain;
            plain.setFont(dialog->Label1->font());
            plain.setTextFormat(Qt::PlainText);
            plain.setText(lines.at(0));
            QCOMPARE(dialog->Label1->sizeHint(), plain.sizeHint());
            if (button.isEmpty())
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
        });
        QCOMPARE(form().confirm(lines), answer);
        QCOMPARE(form().state.dialogAnswer, answer);
        QVERIFY(!form().dialog());
    }

    // Modeless, on its own, every text whole within its label and the box; a click on the note
    // or the address keeps it open, the address going to the user's browser.
    void about_showsItsTextsWhole()
    {
        form().List1->setCurrentRow(1);
        QPointer<Form2> about = openAbout();
        QVERIFY(about);
        QVERIFY(!about->parentWidget() && !QApplication::activeModalWidget());
        QCOMPARE(about->Label2->text(), form().state.versionText);
        QCOMPARE(form().List1->currentRow(), -1);
        QCOMPARE(form().focusWidget(), form().ListTri);
        for (QPushButton *button : {about->ButOk, about->ButYes, about->ButCancel})
            QVERIFY(!button->isVisible());
        for (QLabel *label :
             {about->Label1, about->Label2, about->Label3, about->LabURL, about->Label4}) {
            QVERIFY2(label->isVisible() && !label->text().isEmpty(),
                     qPrintable(label->objectName()));
            const QRect text = label->fontMetrics().boundingRect(
                label->contentsRect(), int(label->alignment()), label->text());
            QVERIFY2(label->contentsRect().contains(text), qPrintable(label->objectName()));
            QVERIFY2(about->rect().contains(text.translated(label->pos())),
                     qPrintable(label->objectName()));
        }
        QTest::mouseClick(about->Label4, Qt::LeftButton);
        QTest::mouseClick(about->LabURL, Qt::LeftButton);
        QTest::qWait(20);
        QVERIFY(about && about->isVisible());
        QCOMPARE(m_opened, QList<QUrl>{QUrl(Form2::makerAddress())});
        m_form.reset();
        QVERIFY(about.isNull()); // it does not outlive the main window
    }

    void about_opensAndCloses_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("closer");
        QTest::newRow("title, picture") << "LabelProg1"
                                        << "Picture2";
        QTest::newRow("title's light layer, background") << "LabelProg2"
                                                         << "Form2";
        QTest::newRow("?, program name") << "ButAbout"
                                         << "Label1";
        QTest::newRow("?, version") << "ButAbout"
                                    << "Label2";
        QTest::newRow("?, maker") << "ButAbout"
                                  << "Label3";
        QTest::newRow("?, Escape") << "ButAbout"
                                   << "Escape";
        QTest::newRow("?, back to the main window") << "ButAbout"
                                                    << "activation";
        QTest::newRow("?, a message") << "ButAbout"
                                      << "message";
    }
    void about_opensAndCloses()
    {
        QFETCH(QString, opener);
        QFETCH(QString, closer);
        QTest::mouseClick(form().findChild<QWidget *>(opener), Qt::LeftButton);
        QPointer<Form2> about = form().dialog();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        if (closer == "Escape") {
            QTest::keyClick(about, Qt::Key_Escape);
        } else if (closer == "activation") {
            QApplication::setActiveWindow(about);
            QVERIFY(QTest::qWaitForWindowActive(about));
            QApplication::setActiveWindow(&form());
        } else if (closer == "message") {
            whenModalDialogAppears(form(), [&](Form2 *dialog) {
                QVERIFY(!about || !about->isVisible());
                QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
            });
            form().showMessage({QStringLiteral("a"), QStringLiteral("b")});
        } else {
            QWidget *target =
                closer == "Form2" ? about.data() : about->findChild<QWidget *>(closer);
            QTest::mouseClick(target, Qt::LeftButton, {},
                              target == about ? QPoint(3, 3) : target->rect().center());
        }
        QTRY_VERIFY(about.isNull());
        QVERIFY(!form().dialog());
    }

    // Every label of both windows, the help line included, shows its text as characters.
    void everyLabel_showsPlainText()
    {
        Form2 dialog;
        const QList<QLabel *> labels =
            form().findChildren<QLabel *>() + dialog.findChildren<QLabel *>();
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
        // Qt will read it as rich text, and that rich text reads back as the original.
        const QString tip = plainToolTip(text);
        QVERIFY(Qt::mightBeRichText(tip));
        QTextDocument document;
        document.setHtml(tip);
        QCOMPARE(document.toPlainText(), text);
        QCOMPARE(plainToolTip(QString()), QString());
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestDialog)
#include "test_dialog.moc"
