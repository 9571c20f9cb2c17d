#pragma once
#include <QApplication>
#include <QStyleFactory>
#include <QTest>

// Like QTEST_MAIN, with the application set up as the program sets it up.
#define AMISCAN_WIDGET_TEST_MAIN(TestClass)                                                        \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));                   \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
