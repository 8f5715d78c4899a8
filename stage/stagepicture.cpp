#include "stagepicture.h"

#include <QFileInfo>
#include <QImageReader>

StagePicture readStagePicture(const QStringList &paths, QSize screen)
{
    StagePicture picture;
    for (const QString &path : paths) {
        if (QFileInfo(path).isFile()) {
            picture.path = path;
            break;
        }
    }
    if (picture.path.isEmpty())
        return picture;

    QImageReader reader(picture.path);
    // A photograph turned on its side in the camera stands as it was taken.
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && !screen.isEmpty()) {
        const QSize covering = size.scaled(screen, Qt::KeepAspectRatioByExpanding);
        if (covering.width() < size.width())
            reader.setScaledSize(covering);
    }
    picture.image = reader.read();
    if (picture.image.isNull())
        picture.error = QStringLiteral("舞台背景图片 %1 无法读取（%2）。舞台使用默认的红色背景；"
                                       "请把图片另存为 JPG 或 PNG 格式。")
                            .arg(QFileInfo(picture.path).fileName(), reader.errorString());
    return picture;
}
