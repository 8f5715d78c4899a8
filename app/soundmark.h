#pragma once

#include <QWidget>

// A small loudspeaker in the corner of the title's frame: with sound waves while the
// program's sound is on, crossed out while F8 has muted it, with a question mark while no
// sound device takes the sound. It tells the operator, at the rehearsal as on the night,
// without changing any of the window's texts.
class SoundMark : public QWidget {
    Q_OBJECT
public:
    explicit SoundMark(QWidget *parent = nullptr);

    void setMuted(bool muted);
    bool isMuted() const { return muted_; }
    void setDeviceAvailable(bool available);
    bool isDeviceAvailable() const { return deviceAvailable_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateToolTip();

    bool muted_ = false;
    // Until the sound says otherwise: the mark does not cry wolf while the device opens.
    bool deviceAvailable_ = true;
};
