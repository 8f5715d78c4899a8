#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

// The operator's own background for the stage: the first of these names that stands
// beside the program.
inline const QStringList StagePictureNames{
    QStringLiteral("stage.jpg"), QStringLiteral("stage.jpeg"), QStringLiteral("stage.png")};

struct StagePicture {
    QImage image;  // null when there is none, or it could not be read
    QString path;  // the file found, if any
    QString error; // why a file found could not be read, for the operator (no folder named)
};

// Reads the first of `paths` that exists, decoded no larger than it needs to be to cover
// `screen`: a photograph of 50 megapixels costs no more than the screen's own.
StagePicture readStagePicture(const QStringList &paths, QSize screen);
