#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

class QIODevice;

// A text file decoded a piece at a time, the pieces together exactly the text decodeText()
// makes of the whole file: the encoding is chosen by the same rule, and pieces of UTF-8 or
// GB18030 are cut after a line end, where no character can be cut. A list of tens of
// megabytes then never stands in memory whole, neither as bytes nor as UTF-16 text.
class TextBlockReader {
public:
    static constexpr qsizetype DefaultBlockBytes = 256 * 1024;

    // `blockBytes` is how much is read at a time; tests make it a few bytes, so that lines
    // and characters fall across blocks. The device must be open and seekable (a file).
    explicit TextBlockReader(QIODevice &device, qsizetype blockBytes = DefaultBlockBytes);

    // Chooses the encoding. This reads the file through when its start does not settle it
    // (UTF-8 must be valid to its end), and, for the rare file whose UTF-8 mark stands
    // before bytes that are no UTF-8, a second time. False when the device fails.
    bool start();
    // The next piece of text; a piece can be empty. After the last one atEnd() is true.
    QString next();
    bool atEnd() const { return atEnd_; }
    // The device would not read: the text so far is not the whole file.
    bool failed() const { return failed_; }
    // How far the reading is, in bytes of the file.
    qint64 position() const;

private:
    enum class Encoding { Utf8, Gb18030, Utf16LE, Utf16BE };

    bool seek(qint64 offset);
    QByteArray read();
    QByteArray nextLines();
    bool restIsUtf8();
    bool utf8ReadingLikelier();
    void chooseWithoutMark(QByteArray buffer);

    QIODevice &device_;
    qsizetype blockBytes_;
    Encoding encoding_ = Encoding::Gb18030;
    qint64 textStart_ = 0; // after the byte-order mark
    QByteArray carry_;     // read, not yet given out
    QStringDecoder utf16_;
    bool textBegins_ = true; // the next piece is the first
    bool deviceEnd_ = false;
    bool atEnd_ = false;
    bool failed_ = false;
};
