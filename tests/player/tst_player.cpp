#include "backgroundmusic.h"
#include "clipdecoder.h"
#include "mediabackend.h"
#include "musicfiles.h"
#include "soundmixer.h"
#include "wavfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

// Which of the operator's files is taken, and what the decoder makes of what it finds.
class TestPlayer : public QObject {
    Q_OBJECT
private slots:
    void musicFileChosen_data();
    void musicFileChosen();
    void decoderReadsOrRefuses_data();
    void decoderReadsOrRefuses();
    void backgroundLoopsOrFails_data();
    void backgroundLoopsOrFails();
};

Q_DECLARE_METATYPE(MusicRole)

namespace {

// Wine 8's Media Foundation cannot open a file: URL, which Windows itself opens.
bool underWine()
{
#ifdef Q_OS_WIN
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

} // namespace

void TestPlayer::musicFileChosen_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<MusicRole>("role");
    QTest::addColumn<QString>("chosen");

    QTest::newRow("none") << QStringList{QStringLiteral("bt.txt")} << MusicRole::Roll << QString();
    QTest::newRow("one mp3") << QStringList{QStringLiteral("抽奖音乐.mp3")} << MusicRole::Roll
                             << QStringLiteral("抽奖音乐.mp3");
    QTest::newRow("each role its own")
        << QStringList{QStringLiteral("抽奖音乐.mp3"), QStringLiteral("中奖音乐.wav"),
                       QStringLiteral("背景音乐.ogg")}
        << MusicRole::Fanfare << QStringLiteral("中奖音乐.wav");
    QTest::newRow("wav before mp3, whatever the folder's order")
        << QStringList{QStringLiteral("背景音乐.mp3"), QStringLiteral("背景音乐.wav")}
        << MusicRole::Background << QStringLiteral("背景音乐.wav");
    QTest::newRow("a known kind before an unknown one")
        << QStringList{QStringLiteral("抽奖音乐.aiff"), QStringLiteral("抽奖音乐.flac")}
        << MusicRole::Roll << QStringLiteral("抽奖音乐.flac");
    QTest::newRow("an unknown kind alone is still tried")
        << QStringList{QStringLiteral("抽奖音乐.aiff")} << MusicRole::Roll
        << QStringLiteral("抽奖音乐.aiff");
    QTest::newRow("upper-case extension, as Windows shows it")
        << QStringList{QStringLiteral("中奖音乐.MP3")} << MusicRole::Fanfare
        << QStringLiteral("中奖音乐.MP3");
    QTest::newRow("a copy with a longer name is not the file")
        << QStringList{QStringLiteral("抽奖音乐.old.mp3"), QStringLiteral("抽奖音乐2.mp3")}
        << MusicRole::Roll << QString();
    QTest::newRow("no extension is no match")
        << QStringList{QStringLiteral("抽奖音乐")} << MusicRole::Roll << QString();
}

void TestPlayer::musicFileChosen()
{
    QFETCH(QStringList, files);
    QFETCH(MusicRole, role);
    QFETCH(QString, chosen);

    QTemporaryDir dir;
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    // A folder by the music's name is no file to play.
    QVERIFY(QDir(dir.path()).mkdir(musicBaseName(role) + QStringLiteral(".mp4")));
    const QString found = findMusicFile(dir.path(), role);
    QCOMPARE(found.isEmpty() ? QString() : QFileInfo(found).fileName(), chosen);
}

void TestPlayer::decoderReadsOrRefuses_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qsizetype>("frames"); // -1: refused

    SoundClip second;
    second.sampleRate = 48000;
    second.samples.assign(48000 * 2, 1000);
    const QByteArray wav = wavBytes(second);
    QTest::newRow("a WAV file") << wav << QStringLiteral("抽奖音乐.wav") << qsizetype(48000);
    QTest::newRow("a WAV file named .mp3 is read as WAV")
        << wav << QStringLiteral("抽奖音乐.mp3") << qsizetype(48000);
    QTest::newRow("longer than allowed: cut") << wav << QStringLiteral("a.wav") << qsizetype(-2);
    QTest::newRow("empty") << QByteArray() << QStringLiteral("a.wav") << qsizetype(-1);
    QTest::newRow("a damaged WAV") << wav.left(30) << QStringLiteral("a.wav") << qsizetype(-1);
    // The platform's decoder: it must report the failure, not leave the music pending.
    QTest::newRow("text named .mp3") << QByteArray("not music at all, just words\r\n")
                                     << QStringLiteral("中奖音乐.mp3") << qsizetype(-1);
}

void TestPlayer::decoderReadsOrRefuses()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(qsizetype, frames);

    QTemporaryDir dir;
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    // -2: a cap of a quarter second on a one-second file.
    const qsizetype cap = frames == -2 ? 12000 : 4 * 48000;
    ClipDecoder decoder(file.fileName(), 48000, cap);
    QSignalSpy decoded(&decoder, &ClipDecoder::decoded);
    QSignalSpy failed(&decoder, &ClipDecoder::failed);
    decoder.start();
    QTRY_COMPARE(decoded.size() + failed.size(), 1);
    if (frames == -1) {
        QCOMPARE(failed.size(), 1);
        QVERIFY(!failed.first().first().toString().isEmpty());
        return;
    }
    QCOMPARE(decoded.size(), 1);
    const auto clip = decoded.first().first().value<std::shared_ptr<SoundClip>>();
    QCOMPARE(clip->frames(), frames == -2 ? cap : frames);
    QCOMPARE(clip->samples.front(), qint16(1000));
}

void TestPlayer::backgroundLoopsOrFails_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("backend");
    QTest::addColumn<bool>("plays");

    // A quarter second at CD rate, as the platform's decoder hands it over.
    SoundClip quarter;
    quarter.sampleRate = 44100;
    quarter.samples.assign(44100 / 4 * 2, 1000);
    const QByteArray wav = wavBytes(quarter);
    QTest::newRow("a short file loops") << wav << true << true;
    QTest::newRow("not music") << QByteArray("not music at all, just words\r\n") << true << false;
    QTest::newRow("empty") << QByteArray() << true << false;
    QTest::newRow("no media backend") << wav << false << false;
}

void TestPlayer::backgroundLoopsOrFails()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, backend);
    QFETCH(bool, plays);
    if (plays && underWine())
        QSKIP("Wine's Media Foundation cannot open the file");

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("背景音乐.mp3")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    constexpr int Rate = 48000;
    constexpr qsizetype Block = Rate / 50;
    SoundMixer mixer(Rate);
    BackgroundMusic background(mixer, backend);
    QSignalSpy failed(&background, &BackgroundMusic::failed);
    background.play(file.fileName());
    if (!plays) {
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(), file.fileName());
        QVERIFY(!failed.first().last().toString().isEmpty());
        std::vector<qint16> out(Block * 2);
        mixer.render(out.data(), Block);
        QVERIFY(!mixer.isSounding());
        return;
    }
    // Played faster than the device would, a block whenever one is ready: three passes of
    // the file at its level, not one.
    const qsizetype passFrames = Rate / 4;
    qsizetype heard = 0;
    std::vector<qint16> out(Block * 2);
    QElapsedTimer clock;
    clock.start();
    while (heard < 3 * passFrames && clock.elapsed() < 20000) {
        QTest::qWait(2);
        background.topUp();
        while (mixer.backgroundQueued() >= Block) {
            mixer.render(out.data(), Block);
            for (qsizetype i = 0; i < Block; ++i)
                heard += std::abs(out[size_t(2 * i)] - 1000) <= 2 ? 1 : 0;
        }
    }
    QVERIFY2(heard >= 3 * passFrames, qPrintable(QString::number(heard)));
    QCOMPARE(failed.size(), 0);
    QVERIFY(mixer.isSounding());
    background.stop();
    mixer.render(out.data(), Block);
    QVERIFY(!mixer.isSounding());
}

QTEST_GUILESS_MAIN(TestPlayer)
#include "tst_player.moc"
