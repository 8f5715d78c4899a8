#pragma once

#include <QObject>

class WavFileTest : public QObject {
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void rejects_data();
    void rejects();
    void writesWhatItReads();
    void resamplesAndCaps();
};

class ResampleTest : public QObject {
    Q_OBJECT

private slots:
    void keepsFrequencyAndLength_data();
    void keepsFrequencyAndLength();
    void interpolatesBetweenFrames();
    void capsTheOutput();
    void refusesNonsense_data();
    void refusesNonsense();
};

class StreamResamplerTest : public QObject {
    Q_OBJECT

private slots:
    void joinsAreNotHeard_data();
    void joinsAreNotHeard();
    void readsEverySampleFormat();
    void newRateStartsAfresh();
};

class MixerTest : public QObject {
    Q_OBJECT

private slots:
    void rollLoopsSeamlessly_data();
    void rollLoopsSeamlessly();
    void fadeReachesSilence();
    void fanfarePlaysOnceAndEnds();
    void fanfareGivesWayToTheNextRoll();
    void restartsFromTheStart_data();
    void restartsFromTheStart();
    void newRollClipTakesOver();
    void stopAllIsQuickAndSmooth();
    void muteRampsWhileTimeGoesOn();
    void saturatesInsteadOfWrapping_data();
    void saturatesInsteadOfWrapping();
    void reportsWhatIsPlaying_data();
    void reportsWhatIsPlaying();
    void convertsClipsOfAnotherRate();
};

class BackgroundTest : public QObject {
    Q_OBJECT

private slots:
    void queueKeepsOrder_data();
    void queueKeepsOrder();
    void levelFollowsTheForeground_data();
    void levelFollowsTheForeground();
    void changesWithoutClicks();
};

class BuiltinSoundsTest : public QObject {
    Q_OBJECT

private slots:
    void haveTheirShape_data();
    void haveTheirShape();
    void rollLoopHasNoSeam_data();
    void rollLoopHasNoSeam();
    void fanfareEndsInSilence_data();
    void fanfareEndsInSilence();
};
