#include "soundtests.h"

#include <QCoreApplication>
#include <QTest>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    WavFileTest wav;
    ResampleTest resample;
    StreamResamplerTest streamResampler;
    MixerTest mixer;
    BackgroundTest background;
    BuiltinSoundsTest builtin;
    int failed = QTest::qExec(&wav, argc, argv);
    failed |= QTest::qExec(&resample, argc, argv);
    failed |= QTest::qExec(&streamResampler, argc, argv);
    failed |= QTest::qExec(&mixer, argc, argv);
    failed |= QTest::qExec(&background, argc, argv);
    failed |= QTest::qExec(&builtin, argc, argv);
    return failed;
}
