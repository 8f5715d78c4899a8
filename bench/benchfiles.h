#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary program directory holding bt.txt and a generated cjk.txt of `count` names.
class GeneratedProgramDirectory {
public:
    explicit GeneratedProgramDirectory(qsizetype count);

    QString path() const { return directory_.path(); }
    QString filePath(const QString &name) const { return directory_.filePath(name); }

private:
    QTemporaryDir directory_;
};
