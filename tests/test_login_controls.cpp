// The login boxes, their placeholders and the password mask, Auto Start, and focus parking,
// driven through the real widgets of a shown and active main window.
#include "friend_rows.h"
#include "ui/form1.h"
#include "widget_test_main.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <memory>

using namespace amiscan;

namespace {

void giveFocus(QWidget *widget)
{
    widget->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(widget->hasFocus());
}

void fillList(QListWidget *list)
{
    list->clear();
    list->addItems({QStringLiteral("Alice    : line"), QStringLiteral("Bob      : line")});
}

} // namespace

class TestLoginControls : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Form1> m_form;

    // A started main window, active, with the focus parked away from the boxes.
    Form1 &form() { return *m_form; }

private slots:
    void init()
    {
        m_form = std::make_unique<Form1>(m_dir.path());
        m_form->load();
        // A friend whose name no test line shows: selecting such a line leaves it selected.
        friend_rows::add(m_form->table, QStringLiteral("Zed"));
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        giveFocus(m_form->ListTri);
    }
    void cleanup() { m_form.reset(); }

    void password_placeholderEmptiesOnFocusAndComesBack()
    {
        QCOMPARE(form().TextPw->text(), QStringLiteral("Vey Password"));
        giveFocus(form().TextPw);
        QCOMPARE(form().TextPw->text(), QString());
        giveFocus(form().TextLogin);
        QCOMPARE(form().TextPw->text(), QStringLiteral("Vey Password"));
        QCOMPARE(form().state.password, QStringLiteral("Vey Password"));
    }

    void password_maskedWithoutFocusAndClearWithIt()
    {
        giveFocus(form().TextPw);
        QTest::keyClicks(form().TextPw, QStringLiteral("s3cr3t-pw!"));
        QCOMPARE(form().state.password, QStringLiteral("s3cr3t-pw!"));
        QCOMPARE(form().state.savedPassword, QStringLiteral("s3cr3t-pw!"));

        giveFocus(form().TextLogin);
        QCOMPARE(form().TextPw->text(), QStringLiteral("**********"));
        QCOMPARE(form().state.password, QStringLiteral("s3cr3t-pw!"));
        QCOMPARE(form().state.savedPassword, QStringLiteral("s3cr3t-pw!"));

        giveFocus(form().TextPw);
        QCOMPARE(form().TextPw->text(), QStringLiteral("s3cr3t-pw!"));
        QCOMPARE(form().state.password, QStringLiteral("s3cr3t-pw!"));
    }

    void password_withAStarIsKeptWholeWhenTheBoxIsLeft()
    {
        giveFocus(form().TextPw);
        QTest::keyClicks(form().TextPw, QStringLiteral("ab*cd"));
        // The star stops the copying while typing: the mask must never pass for a password.
        QCOMPARE(form().state.password, QStringLiteral("ab"));
        QCOMPARE(form().state.savedPassword, QStringLiteral("ab"));

        giveFocus(form().TextLogin);
        QCOMPARE(form().TextPw->text(), QStringLiteral("*****"));
        QCOMPARE(form().state.savedPassword, QStringLiteral("ab*cd"));
        QCOMPARE(form().state.password, QStringLiteral("ab*cd"));

        giveFocus(form().TextPw);
        QCOMPARE(form().TextPw->text(), QStringLiteral("ab*cd"));
        QCOMPARE(form().state.savedPassword, QStringLiteral("ab*cd"));
    }

    void password_erasedKeepsTheSavedPasswordAndShowsThePlaceholder()
    {
        giveFocus(form().TextPw);
        QTest::keyClicks(form().TextPw, QStringLiteral("pw"));
        giveFocus(form().TextLogin);
        giveFocus(form().TextPw);
        form().TextPw->selectAll();
        QTest::keyClick(form().TextPw, Qt::Key_Delete);
        giveFocus(form().TextLogin);
        QCOMPARE(form().TextPw->text(), QStringLiteral("Vey Password"));
        QCOMPARE(form().state.password, QStringLiteral("Vey Password"));
    }

    void password_typedEqualToThePlaceholderCountsAsMissing()
    {
        giveFocus(form().TextPw);
        QTest::keyClicks(form().TextPw, QStringLiteral("Vey Password"));
        QCOMPARE(form().state.password, QStringLiteral("Vey Password"));
        giveFocus(form().TextLogin);
        QCOMPARE(form().TextPw->text(), QStringLiteral("Vey Password"));
        QCOMPARE(form().state.password, QStringLiteral("Vey Password"));
    }

    void userName_followsTypingAndPlaceholder()
    {
        giveFocus(form().TextLogin);
        QCOMPARE(form().TextLogin->text(), QString());
        QTest::keyClicks(form().TextLogin, QStringLiteral("jo"));
        QCOMPARE(form().state.userName, QStringLiteral("jo"));
        form().TextLogin->clear();
        QCOMPARE(form().state.userName, QString());
        giveFocus(form().TextPw);
        QCOMPARE(form().TextLogin->text(), QStringLiteral("Vey Username"));
        QCOMPARE(form().state.userName, QStringLiteral("Vey Username"));

        // A name kept while the box is left and entered again.
        giveFocus(form().TextLogin);
        QTest::keyClicks(form().TextLogin, QStringLiteral("marie"));
        giveFocus(form().TextPw);
        giveFocus(form().TextLogin);
        QCOMPARE(form().TextLogin->text(), QStringLiteral("marie"));
        QCOMPARE(form().state.userName, QStringLiteral("marie"));
    }

    void userName_typedEqualToThePlaceholderCountsAsMissing()
    {
        giveFocus(form().TextLogin);
        QTest::keyClicks(form().TextLogin, QStringLiteral("Vey Username"));
        giveFocus(form().TextPw);
        QCOMPARE(form().state.userName, QStringLiteral("Vey Username"));
    }

    void enterAndEscape_typeNothingAndParkTheFocus_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("key");
        QTest::newRow("user name, Enter") << "TextLogin" << int(Qt::Key_Return);
        QTest::newRow("user name, keypad Enter") << "TextLogin" << int(Qt::Key_Enter);
        QTest::newRow("user name, Escape") << "TextLogin" << int(Qt::Key_Escape);
        QTest::newRow("password, Enter") << "TextPw" << int(Qt::Key_Return);
        QTest::newRow("password, Escape") << "TextPw" << int(Qt::Key_Escape);
    }
    void enterAndEscape_typeNothingAndParkTheFocus()
    {
        QFETCH(QString, box);
        QFETCH(int, key);
        auto *edit = form().findChild<QLineEdit *>(box);
        QVERIFY(edit);
        int returnsSeen = 0;
        connect(edit, &QLineEdit::returnPressed, this, [&] { ++returnsSeen; });

        giveFocus(edit);
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QTest::keyClick(edit, Qt::Key(key));
        QTRY_VERIFY(form().ListTri->hasFocus());
        QCOMPARE(returnsSeen, 0);
        // The edit ended through the lost focus: the user name stays, the password is masked.
        QCOMPARE(edit->text(), box == "TextPw" ? QStringLiteral("***") : QStringLiteral("abc"));
        QCOMPARE(box == "TextPw" ? form().state.savedPassword : form().state.userName,
                 QStringLiteral("abc"));
    }

    void enteringABox_clearsTheListsAndKeepsTheFocus()
    {
        fillList(form().List1);
        fillList(form().List2);
        // The main list reacts to a cleared line by parking the focus: entering a box must
        // not bounce the focus back out of it.
        for (QLineEdit *box : {form().TextLogin, form().TextPw}) {
            form().List1->setCurrentRow(1);
            form().List2->setCurrentRow(0);
            giveFocus(box);
            QTest::qWait(20);
            QVERIFY(box->hasFocus());
            QCOMPARE(form().List1->currentRow(), -1);
            QCOMPARE(form().List2->currentRow(), -1);
            QVERIFY(form().List1->selectedItems().isEmpty());
            QVERIFY(form().List2->selectedItems().isEmpty());
            giveFocus(form().ListTri);
        }
    }

    void autoStartLabel_togglesTheSquareAndParksTheFocus()
    {
        fillList(form().List1);
        form().List1->setCurrentRow(0);
        giveFocus(form().TextLogin);
        QVERIFY(!form().CheckAutoStart->isChecked());

        QTest::mouseClick(form().LabCheckAutoStart, Qt::LeftButton);
        QVERIFY(form().CheckAutoStart->isChecked());
        QTRY_VERIFY(form().ListTri->hasFocus());
        QCOMPARE(form().List1->currentRow(), -1);

        QTest::mouseClick(form().LabCheckAutoStart, Qt::LeftButton);
        QVERIFY(!form().CheckAutoStart->isChecked());
        QTest::mouseClick(form().LabCheckAutoStart, Qt::RightButton);
        QVERIFY(!form().CheckAutoStart->isChecked());
    }

    void autoStartSquare_parksTheFocusOnlyOnceTheWindowIsReady()
    {
        fillList(form().List1);
        giveFocus(form().TextPw);
        form().List1->setCurrentRow(1);
        form().state.windowReady = false;
        form().CheckAutoStart->setChecked(true);
        QVERIFY(form().TextPw->hasFocus());
        QCOMPARE(form().List1->currentRow(), 1);

        form().state.windowReady = true;
        QTest::mouseClick(form().CheckAutoStart, Qt::LeftButton);
        QVERIFY(!form().CheckAutoStart->isChecked());
        QTRY_VERIFY(form().ListTri->hasFocus());
        QCOMPARE(form().List1->currentRow(), -1);
    }

    void parkFocus_movesTheFocusAndClearsBothLists()
    {
        fillList(form().List1);
        fillList(form().List2);
        form().List1->setCurrentRow(1);
        form().List2->setCurrentRow(1);
        giveFocus(form().List1);

        form().parkFocus();
        QTRY_VERIFY(form().ListTri->hasFocus());
        QCOMPARE(form().List1->currentRow(), -1);
        QCOMPARE(form().List2->currentRow(), -1);
        QVERIFY(form().List1->selectedItems().isEmpty());
        QVERIFY(form().List2->selectedItems().isEmpty());
    }

    void parkFocus_whileHiddenChangesNothing()
    {
        fillList(form().List1);
        fillList(form().List2);
        form().List1->setCurrentRow(1);
        form().List2->setCurrentRow(0);
        giveFocus(form().List1);
        form().hide();

        form().parkFocus();
        QCOMPARE(form().List1->currentRow(), 1);
        QCOMPARE(form().List2->currentRow(), 0);
        QCOMPARE(form().focusWidget(), form().List1);
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestLoginControls)
#include "test_login_controls.moc"
