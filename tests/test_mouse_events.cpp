#include "ui/mouse_events.h"
#include "widget_test_main.h"

#include <QLabel>
#include <QListWidget>

using namespace amiscan;

class TestMouseEvents : public QObject
{
    Q_OBJECT

private slots:
    void labelClick_leftButtonOnly()
    {
        QLabel label(QStringLiteral("Filter"));
        label.resize(80, 20);
        label.show();
        int clicks = 0;
        QList<Qt::MouseButton> presses;
        onClick(&label, [&] { ++clicks; });
        onMousePress(&label, [&](Qt::MouseButton button) { presses << button; });
        QTest::mouseClick(&label, Qt::LeftButton);
        QTest::mouseClick(&label, Qt::RightButton);
        QCOMPARE(clicks, 1);
        QCOMPARE(presses, (QList<Qt::MouseButton>{Qt::LeftButton, Qt::RightButton}));
    }

    void listEvents_arriveFromTheViewport()
    {
        QListWidget list;
        list.addItems({QStringLiteral("a"), QStringLiteral("b")});
        list.resize(100, 100);
        list.show();
        int doubles = 0;
        QList<Qt::MouseButton> presses;
        onDoubleClick(&list, [&] { ++doubles; });
        onMousePress(&list, [&](Qt::MouseButton button) { presses << button; });
        QTest::mousePress(list.viewport(), Qt::RightButton);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton);
        QCOMPARE(doubles, 1);
        QVERIFY(presses.contains(Qt::RightButton));
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestMouseEvents)
#include "test_mouse_events.moc"
