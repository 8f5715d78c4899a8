#pragma once

#include "stagepicture.h"

#include <QObject>
#include <QSize>
#include <QStringList>

#include <optional>

class QThread;

// Reads the operator's picture away from the window's thread: a photograph of a hundred
// megapixels takes seconds to decode, and the stage must show (in red) at once while the
// draw goes on. Only the newest request counts: one made while a picture is being read
// is served after it, and the requests in between are dropped.
class StagePictureLoader : public QObject {
    Q_OBJECT
public:
    explicit StagePictureLoader(QObject *parent = nullptr);
    // Waits for a picture being read: the thread reads into this object.
    ~StagePictureLoader() override;

    // Reads the first of `paths` that exists, for a screen of `screen`; loaded() follows.
    void load(const QStringList &paths, QSize screen);
    bool isLoading() const { return thread_ != nullptr; }

signals:
    void loaded(const StagePicture &picture);

private:
    struct Request {
        QStringList paths;
        QSize screen;
    };
    void start(const Request &request);
    void finished();

    QThread *thread_ = nullptr;
    StagePicture read_;
    std::optional<Request> next_;
};
