#include "clipdecoder.h"
#include "musicfiles.h"
#include "wavfile.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Which of the operator's files is taken, and what the decoder makes of what it finds.
class TestPlayer : public QObject {
    Q_OBJECT
private slots:
    void musicFileChosen_data();
    void musicFileChosen();
    void decoderReadsOrRefuses_data();
    void decoderReadsOrRefuses();
};

Q_DECLARE_METATYPE(MusicRole)

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
    const SoundClip clip = decoded.first().first().value<SoundClip>();
    QCOMPARE(clip.frames(), frames == -2 ? cap : frames);
    QCOMPARE(clip.samples.front(), qint16(1000));
}

QTEST_GUILESS_MAIN(TestPlayer)
#include "tst_player.moc"
