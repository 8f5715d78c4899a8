#include "tst_proof.h"

#include <QApplication>
#include <QTest>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestProof test;
    return QTest::qExec(&test, argc, argv);
}
