#include "textblocks.h"

#include "gb18030decoder.h"
#include "plausibility.h"
#include "textcodec.h"

#include <QIODevice>

#include <algorithm>
#include <utility>

namespace {

// No byte of a UTF-8 or GB18030 character is a line end: cut after one, a text decodes
// to the same characters in pieces as whole.
bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// UTF-8 cut after a line end. QString::fromUtf8() drops a byte-order mark at the start of
// what it is given: of the whole text, not of every piece.
QString fromUtf8Piece(QByteArrayView bytes, bool textStart)
{
    QString text = QString::fromUtf8(bytes);
    if (!textStart && bytes.startsWith("\xEF\xBB\xBF"))
        text.prepend(QChar(QChar::ByteOrderMark));
    return text;
}

} // namespace

TextBlockReader::TextBlockReader(QIODevice &device, qsizetype blockBytes)
    : device_(device), blockBytes_(std::max<qsizetype>(1, blockBytes))
{
}

bool TextBlockReader::seek(qint64 offset)
{
    carry_.clear();
    deviceEnd_ = false;
    if (!device_.seek(offset)) {
        failed_ = true;
        deviceEnd_ = true;
    }
    return !failed_;
}

QByteArray TextBlockReader::read()
{
    if (deviceEnd_)
        return {};
    QByteArray block(blockBytes_, Qt::Uninitialized);
    const qint64 count = device_.read(block.data(), blockBytes_);
    if (count < 0)
        failed_ = true;
    if (count <= 0) {
        deviceEnd_ = true;
        return {};
    }
    block.truncate(qsizetype(count));
    return block;
}

// The bytes through the last line end read, or the file's last bytes; empty at the end.
QByteArray TextBlockReader::nextLines()
{
    for (;;) {
        const qsizetype searched = carry_.size();
        const QByteArray block = read();
        if (block.isEmpty())
            return std::exchange(carry_, QByteArray());
        carry_ += block;
        qsizetype cut = carry_.size();
        while (cut > searched && !isLineEnd(carry_[cut - 1]))
            --cut;
        if (cut > searched) {
            QByteArray lines = carry_.first(cut);
            carry_.remove(0, cut);
            return lines;
        }
    }
}

bool TextBlockReader::restIsUtf8()
{
    bool hasNonAscii = false;
    for (QByteArray lines = nextLines(); !lines.isEmpty(); lines = nextLines()) {
        if (!isValidUtf8(lines, &hasNonAscii))
            return false;
    }
    return true;
}

// A UTF-8 mark before bytes that are no UTF-8: the UTF-8 reading after the mark against
// the GB18030 reading of the whole file (whose first character is then 锘), costed line by
// line, which adds up to their costs whole.
bool TextBlockReader::utf8ReadingLikelier()
{
    if (!seek(0))
        return false;
    qsizetype utf8Cost = 0;
    qsizetype gbCost = 0;
    bool first = true;
    for (QByteArray lines = nextLines(); !lines.isEmpty(); lines = nextLines()) {
        gbCost += implausibility(decodeGb18030(lines));
        utf8Cost +=
            implausibility(fromUtf8Piece(QByteArrayView(lines).sliced(first ? 3 : 0), first));
        first = false;
    }
    return isClearlyLikelier(utf8Cost, gbCost);
}

// Without a mark: the judgement of the first blocks, then, for UTF-8, every byte after.
// `buffer` holds the bytes read so far.
void TextBlockReader::chooseWithoutMark(QByteArray buffer)
{
    encoding_ = Encoding::Gb18030;
    Utf8Judgement judgement;
    qsizetype start = 0;
    while (!judgement.decided()) {
        const qsizetype end = Utf8Judgement::blockEnd(buffer, start, deviceEnd_);
        if (end < 0) {
            buffer.remove(0, start);
            start = 0;
            buffer += read();
            continue;
        }
        if (end == start)
            break;
        if (!judgement.add(QByteArrayView(buffer).sliced(start, end - start)))
            return;
        start = end;
    }
    if (!judgement.utf8Likelier())
        return;
    carry_ = buffer.sliced(start);
    if (restIsUtf8())
        encoding_ = Encoding::Utf8;
}

bool TextBlockReader::start()
{
    atEnd_ = false;
    failed_ = false;
    if (!seek(0))
        return false;
    QByteArray head = read();
    while (head.size() < 3 && !deviceEnd_)
        head += read();
    textStart_ = 0;
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        const bool little = head.startsWith("\xFF\xFE");
        encoding_ = little ? Encoding::Utf16LE : Encoding::Utf16BE;
        utf16_ = QStringDecoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        textStart_ = 2;
    } else if (head.startsWith("\xEF\xBB\xBF")) {
        carry_ = head.sliced(3);
        encoding_ = Encoding::Utf8;
        textStart_ = 3;
        if (!restIsUtf8() && !failed_ && !utf8ReadingLikelier()) {
            encoding_ = Encoding::Gb18030;
            textStart_ = 0;
        }
    } else {
        chooseWithoutMark(head);
    }
    if (failed_ || !seek(textStart_))
        return false;
    textBegins_ = true;
    return true;
}

QString TextBlockReader::next()
{
    if (atEnd_)
        return {};
    if (encoding_ == Encoding::Utf16LE || encoding_ == Encoding::Utf16BE) {
        const QByteArray block = read();
        atEnd_ = block.isEmpty();
        return utf16_(block);
    }
    const QByteArray lines = nextLines();
    atEnd_ = lines.isEmpty();
    if (encoding_ == Encoding::Gb18030)
        return decodeGb18030(lines);
    return fromUtf8Piece(lines, std::exchange(textBegins_, false));
}

qint64 TextBlockReader::position() const
{
    return device_.pos();
}
