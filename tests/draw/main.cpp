#include "batchtest.h"
#include "drawcycletest.h"
#include "millionrecordingtest.h"
#include "randomnesstest.h"
#include "recordingtest.h"
#include "soundcuestest.h"
#include "stagescenetest.h"
#include "stoptest.h"

#include <QCoreApplication>
#include <QTest>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    DrawCycleTest cycle;
    RecordingTest recording;
    RandomnessTest randomness;
    MillionRecordingTest million;
    StopTest stop;
    StageSceneTest stage;
    BatchTest batch;
    SoundCuesTest sound;
    int failed = QTest::qExec(&cycle, argc, argv);
    failed |= QTest::qExec(&recording, argc, argv);
    failed |= QTest::qExec(&randomness, argc, argv);
    failed |= QTest::qExec(&million, argc, argv);
    failed |= QTest::qExec(&stop, argc, argv);
    failed |= QTest::qExec(&stage, argc, argv);
    failed |= QTest::qExec(&batch, argc, argv);
    failed |= QTest::qExec(&sound, argc, argv);
    return failed;
}
