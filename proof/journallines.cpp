#include "verifierparts.h"

#include "journal.h"
#include "journalline.h"
#include "sha256.h"
#include "textcodec.h"

#include <QDate>
#include <QIODevice>
#include <QLocale>
#include <QStringEncoder>

#include <algorithm>

namespace journalcheck {

namespace {

constexpr qint64 BlockSize = 1 << 20;

} // namespace

QString fieldValue(const QStringList &fields, const QString &key)
{
    for (qsizetype i = 2; i < fields.size(); ++i)
        if (fields[i].startsWith(key))
            return fields[i].mid(key.size());
    return {};
}

qsizetype fieldNumber(const QString &field, const QString &key)
{
    if (!field.startsWith(key))
        return -1;
    bool ok = false;
    const qsizetype value = field.mid(key.size()).toLongLong(&ok);
    return ok ? value : -1;
}

std::optional<std::array<qint32, 4>> fourNumbers(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    std::array<qint32, 4> numbers{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[std::size_t(i)] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return numbers;
}

QString number(qsizetype value)
{
    return QLocale::c().toString(qlonglong(value));
}

QString lineRef(qsizetype line)
{
    return QStringLiteral("第 %1 行").arg(line);
}

bool isLowerHex(QByteArrayView digits)
{
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool isWellFormedStamp(const QString &stamp)
{
    // Digits where digits go and nothing else: no invisible character passes.
    static const QString mask = QStringLiteral("dddd-dd-dd dd:dd:dd");
    if (stamp.size() != mask.size())
        return false;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const char16_t c = stamp[i].unicode();
        if (mask[i] == u'd' ? (c < u'0' || c > u'9') : c != mask[i].unicode())
            return false;
    }
    const auto at = [&stamp](qsizetype from, qsizetype digits) {
        int value = 0;
        for (qsizetype i = from; i < from + digits; ++i)
            value = value * 10 + (stamp[i].unicode() - u'0');
        return value;
    };
    return QDate::isValid(at(0, 4), at(5, 2), at(8, 2)) && at(11, 2) < 24 && at(14, 2) < 60 &&
           at(17, 2) < 60;
}

bool looksLikeLineStart(QByteArrayView bytes)
{
    // A power cut may leave zeros where the last bytes were to go.
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    if (bytes.isEmpty())
        return true;
    static const QByteArrayView mask = "dddd-dd-dd dd:dd:dd\t";
    for (qsizetype i = 0; i < std::min(bytes.size(), mask.size()); ++i) {
        const char c = bytes[i];
        if (mask[i] == 'd' ? (c < '0' || c > '9') : c != mask[i])
            return false;
    }
    return true;
}

// The chain field of a line that is not whole, when one can still be read: a line changed
// after it was written keeps the chain value the next line was chained from. The line may
// be GB18030, or re-saved as UTF-8.
QByteArray chainFieldOf(QByteArrayView bytes)
{
    static const QByteArray gbPrefix = encodeText(QStringLiteral("链="));
    static const QByteArray utf8Prefix = QStringLiteral("链=").toUtf8();
    const qsizetype tab = bytes.lastIndexOf('\t');
    if (tab < 0)
        return {};
    const QByteArrayView tail = bytes.sliced(tab + 1);
    for (const QByteArray &prefix : {gbPrefix, utf8Prefix}) {
        if (!tail.startsWith(prefix))
            continue;
        const QByteArrayView value = tail.sliced(prefix.size());
        return value.size() == JournalChainDigits && isLowerHex(value) ? value.toByteArray()
                                                                       : QByteArray();
    }
    return {};
}

Line readLine(QByteArray raw, qsizetype number, bool tail)
{
    Line line;
    line.number = number;
    line.tail = tail;
    if (std::optional<JournalLine> read = readJournalLine(raw);
        read && (!tail || !read->chain.isEmpty())) {
        line.whole = true;
        line.fields = std::move(read->fields);
        line.chain = std::move(read->chain);
        line.body = std::move(read->body);
        line.check = std::move(read->check);
    } else {
        line.leftOut = true;
        line.chainField = chainFieldOf(raw);
    }
    line.raw = std::move(raw);
    return line;
}

// --- LineSource ---

LineSource::LineSource(QIODevice &device, qint64 longestLine, qint64 unsizedInput)
    : device_(device), longestLine_(longestLine), unsizedInput_(unsizedInput),
      sized_(!device.isSequential())
{
    unread_ = sized_ ? qMax<qint64>(0, device.size() - device.pos()) : unsizedInput;
}

bool LineSource::fill()
{
    if (unread_ <= 0) {
        char more = 0;
        if (!sized_ && device_.read(&more, 1) == 1)
            error_ = QStringLiteral("读了 %1 MB 还没有读到日志的尽头：这不是一份抽奖日志"
                                    "（是设备、管道或没有尽头的输入）。请把日志存成文件再核对。")
                         .arg(journalcheck::number(unsizedInput_ >> 20));
        return false;
    }
    QByteArray bytes = device_.read(qMin(unread_, BlockSize));
    if (bytes.isEmpty())
        return false;
    unread_ -= bytes.size();
    if (!started_) {
        started_ = true;
        if (startsAsUtf16(bytes)) {
            utf16_ = true;
            decoder_.emplace(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
            bytes.remove(0, 2);
        } else if (bytes.startsWith("\xEF\xBB\xBF")) {
            bytes.remove(0, 3);
        }
    }
    if (utf16_) {
        // Its GB18030 bytes carry the checks, as the program reads it.
        QString text = std::exchange(carried_, {}) + (*decoder_)(bytes);
        if (!text.isEmpty() && text.back().isHighSurrogate()) {
            carried_ = text.back();
            text.chop(1);
        }
        bytes = encodeText(text);
    }
    block_ = std::move(bytes);
    at_ = 0;
    return true;
}

bool LineSource::next(QByteArray &line, bool &tail)
{
    for (;;) {
        const qsizetype end = block_.indexOf('\n', at_);
        if (end >= 0) {
            const qsizetype length = partial_.size() + end - at_;
            if (length > longestLine_) {
                error_ = QStringLiteral("日志第 %1 行超过 %2 MB：程序写的日志没有这么长的行，"
                                        "这不是一份抽奖日志。")
                             .arg(number_ + 1)
                             .arg(longestLine_ >> 20);
                return false;
            }
            if (partial_.isEmpty()) {
                line = block_.sliced(at_, end - at_);
            } else {
                line = std::exchange(partial_, {});
                line += QByteArrayView(block_).sliced(at_, end - at_);
            }
            at_ = end + 1;
            ++number_;
            if (line.endsWith('\r'))
                line.chop(1);
            else if (!line.isEmpty())
                ++lfLines_;
            if (line.isEmpty())
                continue;
            tail = false;
            return true;
        }
        partial_ += QByteArrayView(block_).sliced(at_);
        block_.clear();
        at_ = 0;
        if (partial_.size() > longestLine_) {
            error_ =
                QStringLiteral("日志第 %1 行超过 %2 MB 还没有结束：程序写的日志没有这么长的行，"
                               "这不是一份抽奖日志（也许是设备或别的文件）。")
                    .arg(number_ + 1)
                    .arg(longestLine_ >> 20);
            return false;
        }
        if (!fill()) {
            if (!error_.isEmpty() || partial_.isEmpty())
                return false;
            ++number_;
            line = std::exchange(partial_, {});
            tail = true;
            return true;
        }
    }
}

// --- ListFile ---

CandidatePool poolOfBytes(const QByteArray &bytes, InvisibleCharacters invisible)
{
    CandidatePool pool;
    pool.sha256 = sha256Hex(bytes);
    pool.names = NameList(parseCandidateNames(bytes, invisible));
    return pool;
}

ListFile::ListFile(QByteArray bytes, std::optional<CandidatePool> pool) : bytes_(std::move(bytes))
{
    pool_ = pool ? std::move(*pool) : poolOfBytes(bytes_);
    sha256_ = QString::fromLatin1(pool_.sha256);
}

QByteArray ListFile::bytesOf(const Way &way) const
{
    const QString end = way.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text = lines_.join(end);
    if (way.endsInLineEnd && !lines_.isEmpty())
        text += end;
    switch (way.encoding) {
    case 1:
        return text.toUtf8();
    case 2:
        return "\xEF\xBB\xBF" + text.toUtf8();
    case 3: {
        QStringEncoder encoder(QStringEncoder::Utf16LE);
        return "\xFF\xFE" + QByteArray(encoder(text));
    }
    default:
        return encodeText(text);
    }
}

QString ListFile::describe(const Way &way)
{
    static const QStringList encodings{QStringLiteral("GB18030（记事本的 ANSI）"),
                                       QStringLiteral("UTF-8"), QStringLiteral("带 BOM 的 UTF-8"),
                                       QStringLiteral("UTF-16（记事本的 Unicode）")};
    return QStringLiteral("%1 编码、%2 换行、最后一行%3换行")
        .arg(encodings[way.encoding], way.crlf ? QStringLiteral("CR LF") : QStringLiteral("LF"),
             way.endsInLineEnd ? QStringLiteral("后有") : QStringLiteral("后没有"));
}

void ListFile::makeWays()
{
    made_ = true;
    // The lines as written, empty ones included.
    const QString text = decodeText(bytes_);
    // How this file is saved.
    Way given{0, true, false};
    if (bytes_.startsWith("\xFF\xFE") || bytes_.startsWith("\xFE\xFF")) {
        given.encoding = 3;
    } else if (bytes_.startsWith("\xEF\xBB\xBF")) {
        given.encoding = 2;
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        (void)utf8(bytes_);
        const bool ascii =
            std::all_of(bytes_.begin(), bytes_.end(), [](char c) { return uchar(c) < 0x80; });
        given.encoding = !ascii && !utf8.hasError() ? 1 : 0;
    }
    const qsizetype crlf = text.count(QStringLiteral("\r\n"));
    given.crlf = crlf >= text.count(u'\n') - crlf;
    given.endsInLineEnd = text.endsWith(u'\n') || text.endsWith(u'\r');
    given_ = describe(given);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines_.append(text.sliced(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines_.append(text.sliced(start));
    for (int encoding = 0; encoding < 4; ++encoding)
        for (bool crlf : {true, false})
            for (bool endsInLineEnd : {true, false}) {
                const Way way{encoding, crlf, endsInLineEnd};
                const QString sha = QString::fromLatin1(sha256Hex(bytesOf(way)));
                if (sha != sha256_)
                    ways_.emplace_back(sha, way);
            }
}

void ListFile::addOther(const QString &path, ListFile list)
{
    others_.push_back({path, std::move(list)});
}

const CandidatePool *ListFile::listOf(const QString &sha256, QString *how,
                                      InvisibleCharacters invisible, QString *other)
{
    if (sha256 == sha256_) {
        if (invisible == InvisibleCharacters::Removed)
            return &pool_;
        if (!kept_)
            kept_ = poolOfBytes(bytes_, InvisibleCharacters::Kept);
        return &*kept_;
    }
    if (sha256.isEmpty())
        return nullptr;
    if (!made_)
        makeWays();
    for (const auto &[sha, way] : ways_) {
        if (sha != sha256)
            continue;
        if (how)
            *how = QStringLiteral("抽奖时的文件是 %1；这份文件是 %2").arg(describe(way), given_);
        if (cachedSha_ != sha || cachedInvisible_ != invisible) {
            cached_ = poolOfBytes(bytesOf(way), invisible);
            cachedSha_ = sha;
            cachedInvisible_ = invisible;
        }
        return &cached_;
    }
    for (Other &another : others_) {
        if (const CandidatePool *found = another.list.listOf(sha256, how, invisible)) {
            if (other)
                *other = another.path;
            return found;
        }
    }
    return nullptr;
}

} // namespace journalcheck
