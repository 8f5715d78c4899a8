#include "drawcycletest.h"
#include "randomnesstest.h"
#include "recordingtest.h"

#include <QCoreApplication>
#include <QTest>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    DrawCycleTest cycle;
    RecordingTest recording;
    RandomnessTest randomness;
    int failed = QTest::qExec(&cycle, argc, argv);
    failed |= QTest::qExec(&recording, argc, argv);
    failed |= QTest::qExec(&randomness, argc, argv);
    return failed;
}
