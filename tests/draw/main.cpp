#include "drawcycletest.h"
#include "millionrecordingtest.h"
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
    MillionRecordingTest million;
    int failed = QTest::qExec(&cycle, argc, argv);
    failed |= QTest::qExec(&recording, argc, argv);
    failed |= QTest::qExec(&randomness, argc, argv);
    failed |= QTest::qExec(&million, argc, argv);
    return failed;
}
