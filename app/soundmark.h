#pragma once

#include <QWidget>

// A small loudspeaker in the corner of the title's frame: with sound waves while the
// program's sound is on, crossed out while F8 has muted it. It tells the operator without
// changing any of the window's texts.
class SoundMark : public QWidget {
    Q_OBJECT
public:
    explicit SoundMark(QWidget *parent = nullptr);

    void setMuted(bool muted);
    bool isMuted() const { return muted_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool muted_ = false;
};
