#pragma once

#include <QObject>
#include <QString>

class QAudioOutput;
class QMediaPlayer;
class QTimer;

// The operator's music between rolls, streamed from its file (an evening's mix need not
// fit in memory) and looped. It ducks under the roll music and the fanfare and comes back
// after, each change a short ramp rather than a jump. Music lost with its device (unplugged,
// the sound server restarted) starts again from its beginning once a device takes it.
class BackgroundMusic : public QObject {
    Q_OBJECT
public:
    // Without `mediaBackend` (see mediaBackendPresent()) every file fails.
    explicit BackgroundMusic(bool mediaBackend, QObject *parent = nullptr);

    // Starts `path` from its beginning; an empty path stops the music.
    void play(const QString &path);
    void stop();
    // The devices changed: music lost with its device is tried again now.
    void retryLost();
    void setDucked(bool ducked);
    void setMuted(bool muted);

signals:
    // The file itself cannot be played; `reason` is short and in Chinese.
    void failed(const QString &path, const QString &reason);

private:
    void step();
    double target() const;

    void makePlayer();
    void begin(const QString &path);
    void halt();

    bool mediaBackend_;
    QMediaPlayer *player_ = nullptr;
    QAudioOutput *output_ = nullptr;
    QTimer *ramp_ = nullptr;
    QTimer *retry_ = nullptr;
    QString path_;
    // Music that stopped because its device went, and the wait before it is tried again.
    QString lost_;
    int retryMs_ = 0;
    bool ducked_ = false;
    bool muted_ = false;
    double volume_ = 1.0;
};
