// The dialog window: messages, confirmations and the About box, driven through the real widgets.
#include "data_table.h"
#include "desktop/url_opener.h"
#include "dialog_driver.h"
#include "friend_rows.h"
#include "model/main_model.h"
#include "ui/line_list.h"
#include "ui/plain_text.h"
#include "widget_test_main.h"
#include "window_controls.h"
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>
#include <memory>

using namespace amiscan;
using namespace amiscan::testing;

class TestDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<MainModel> m_model;
    std::unique_ptr<Form1> m_form;
    QList<QUrl> m_opened;
    WebAddressOpener m_systemOpener;
    Form1 &form() { return *m_form; }
    MainModel &model() { return *m_model; }

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
        m_model = std::make_unique<MainModel>(m_dir.path());
        m_form = std::make_unique<Form1>(*m_model);
        m_form->load();
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void cleanup() { m_form.reset(), m_model.reset(); }

    // A message is modal, owned and centred over the main window, and stays until Ok, whatever
    // is clicked or activated meanwhile. Each use starts from the design: the Ok a three-line
    // message moved down is back for the next one.
    void message()
    {
        form().move(40, 30);
        const Form2 design;
        for (const QStringList &shown :
             {QStringList{"Unable to connect !", "Please, check your", "internet connection."},
              QStringList{"Invalid Vey Username", "Please fill in"}}) {
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
                QEvent activate(QEvent::WindowActivate);
                QApplication::sendEvent(&form(), &activate);
                QTest::qWait(10);
                QVERIFY(dialog->isVisible());
                QTest::mouseClick(dialog->ButOk, Qt::LeftButton);
            });
            emit model().messageRequested(shown);
            QVERIFY(seen);
        }
    }

    // The question before a friend leaves the management list.
    void confirmation_data()
    {
        // key: 0: the button is clicked
        addColumns<QStringList, QString, int, bool>({"lines", "button", "key", "answer"});
        const QStringList two{"Alice", "Delete this friend ?"};
        const QStringList three{"Alice Display", "( alice )", " Delete this friend ?"};
        addRow("two lines, Yes", two, "ButYes", 0, true);
        addRow("two lines, Cancel", two, "ButCancel", 0, false);
        addRow("three lines, Escape", three, QString(), int(Qt::Key_Escape), false);
        addRow("three lines, Enter on Yes", three, "ButYes", int(Qt::Key_Return), true);
        addRow("two lines, Enter on Cancel", two, "ButCancel", int(Qt::Key_Enter), false);
    }
    void confirmation()
    {
        auto [lines, button, key, answer] =
            fetch<QStringList, QString, int, bool>("lines", "button", "key", "answer");
        friend_rows::add(model().tableForTests(),
                         {lines.at(0), lines.size() == 3 ? QStringLiteral("alice") : lines.at(0)});
        form().showTable();
        form().showManageList();
        auto *list = findControl<LineList>(form(), "List2");
        list->setCurrentRow(0);
        whenModalDialogAppears(form(), [&](Form2 *dialog) {
            QVERIFY(!dialog->ButOk->isVisible() && dialog->ButYes->isVisible());
            QCOMPARE(dialog->Label3->isVisible(), lines.size() == 3);
            QCOMPARE(dialog->Label1->text(), lines.at(0));
            QPushButton *pressed = dialog->findChild<QPushButton *>(button);
            if (key == 0)
                QTest::mouseClick(pressed, Qt::LeftButton);
            else if (!pressed)
                QTest::keyClick(dialog, Qt::Key(key));
            else { // the key goes to the button that has the focus
                pressed->setFocus(Qt::TabFocusReason);
                QTRY_VERIFY(pressed->hasFocus());
                QTest::keyClick(pressed, Qt::Key(key));
            }
        });
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(model().table().friendCount(), answer ? 0 : 1);
        QVERIFY(!form().dialog());
    }

    // Modeless, on its own, every text whole within its label and the box; a click on the note
    // or the address keeps it open, the address going to the user's browser.
    void about_showsItsTextsWhole()
    {
        QTest::mouseClick(findControl<QPushButton>(form(), "ButAbout"), Qt::LeftButton);
        QPointer<Form2> about = form().dialog();
        QVERIFY(about && about->isVisible() && !about->isModal());
        QVERIFY(!about->parentWidget() && !QApplication::activeModalWidget());
        QCOMPARE(about->Label2->text(), model().state().versionText);
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

    // Names come from a web page: every label of both windows, the help line included, and
    // every tooltip show their text as characters.
    void labelsAndToolTips_showPlainText()
    {
        Form2 dialog;
        const QList<QLabel *> labels =
            form().findChildren<QLabel *>() + dialog.findChildren<QLabel *>();
        for (const QLabel *label : labels)
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
        for (const QString text : {"<b>x</b>", "a &amp;  b <br> c", "Last Scan : 12/10 - 10:30"}) {
            // Qt will read it as rich text, and that rich text reads back as the original.
            const QString tip = plainToolTip(text);
            QVERIFY(Qt::mightBeRichText(tip));
            QTextDocument document;
            document.setHtml(tip);
            QCOMPARE(document.toPlainText(), text);
        }
        QCOMPARE(plainToolTip(QString()), QString());
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestDialog)
#include "test_dialog.moc"
