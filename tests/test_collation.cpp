#include "store/collation.h"

#include <QTest>

using namespace amiscan;

class TestCollation : public QObject
{
    Q_OBJECT

    static QStringList sorted(const QStringList &keys)
    {
        QStringList result;
        for (int i : Collation(QLocale(QLocale::English)).order(keys))
            result << keys.at(i);
        return result;
    }

private slots:
    void caseIsIgnored_annaBeforeBob()
    {
        QCOMPARE(sorted({"Bob", "anna"}), (QStringList{"anna", "Bob"}));
        QCOMPARE(sorted({"bob", "Anna", "carl", "Bea"}),
                 (QStringList{"Anna", "Bea", "bob", "carl"}));
    }

    void caseIsIgnored_inThePlainCLocaleToo()
    {
        const QStringList keys{"Bob", "anna", "bob", "ANNA"};
        const Collation collation(QLocale::c());
        QStringList result;
        for (int i : collation.order(keys))
            result << keys.at(i);
        QCOMPARE(result, (QStringList{"ANNA", "anna", "Bob", "bob"}));
        QVERIFY(collation.compare("anna", "Bob") < 0);
        QCOMPARE(collation.order({"Sam", "abel", "Zed", "ABEL"}), (QList<int>{3, 1, 0, 2}));
    }

    void keysEqualButForCase_haveAFixedOrder()
    {
        QCOMPARE(sorted({"anna", "Anna", "ANNA"}), sorted({"ANNA", "anna", "Anna"}));
        const Collation collation(QLocale(QLocale::English));
        QVERIFY(collation.compare("anna", "Anna") != 0);
        QCOMPARE(collation.compare("Anna", "Anna"), 0);
    }

    void equalKeys_keepTheirGivenOrder()
    {
        const QStringList keys{"Sam", "Al", "Sam", "Al"};
        QCOMPARE(Collation(QLocale(QLocale::English)).order(keys), (QList<int>{1, 3, 0, 2}));
    }


    void accentedLetters_followTheLocale()
    {
        QCOMPARE(sorted({"Zoe", "Élise", "Eve"}), (QStringList{"Élise", "Eve", "Zoe"}));
    }
};

QTEST_GUILESS_MAIN(TestCollation)
#include "test_collation.moc"
