#include "ziparchive.h"

#include <QFile>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr quint32 EndSignature = 0x06054b50;
constexpr quint32 End64Signature = 0x06064b50;
constexpr quint32 End64LocatorSignature = 0x07064b50;
constexpr quint32 DirectorySignature = 0x02014b50;
constexpr quint32 LocalSignature = 0x04034b50;
constexpr qsizetype EndSize = 22;
constexpr qsizetype End64LocatorSize = 20;
constexpr qsizetype End64Size = 56;
constexpr qsizetype DirectoryHeaderSize = 46;
constexpr qsizetype LocalHeaderSize = 30;
constexpr qsizetype MaxComment = 0xFFFF;
// A spreadsheet's directory is a few kilobytes; this allows a hundred thousand entries.
constexpr qint64 MaxDirectorySize = qint64(32) << 20;
constexpr qint64 InputChunk = 256 * 1024;

constexpr quint16 EncryptedFlag = 0x0001;
constexpr quint16 StrongEncryptionFlag = 0x0040;
constexpr quint16 Utf8NameFlag = 0x0800;
constexpr quint16 Stored = 0;
constexpr quint16 Deflated = 8;
constexpr quint16 AesEncrypted = 99;

quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

quint64 u64(const char *p)
{
    return qFromLittleEndian<quint64>(p);
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 0) + QStringLiteral(" MB");
}

} // namespace

ZipArchive::ZipArchive(const QString &path, qint64 entryCap)
    : path_(path), entryCap_(entryCap), file_(std::make_unique<QFile>(path))
{
}

ZipArchive::~ZipArchive() = default;

bool ZipArchive::fail(Failure failure, const QString &detail)
{
    failure_ = failure;
    detail_ = detail;
    return false;
}

qint64 ZipArchive::fileSize() const
{
    return file_->size();
}

bool ZipArchive::open()
{
    if (!file_->open(QIODevice::ReadOnly))
        return fail(Failure::CannotOpen, file_->errorString());
    const qint64 size = file_->size();
    if (size < EndSize)
        return fail(Failure::NotZip, QStringLiteral("文件太短"));

    // The end record stands in the last 22 bytes plus at most a 64 KiB comment.
    const qint64 tailStart = std::max<qint64>(0, size - EndSize - MaxComment);
    if (!file_->seek(tailStart))
        return fail(Failure::CannotOpen, file_->errorString());
    const QByteArray tail = file_->read(size - tailStart);
    if (tail.size() != size - tailStart)
        return fail(Failure::CannotOpen, file_->errorString());
    qsizetype end = -1;
    for (qsizetype i = tail.size() - EndSize; i >= 0; --i) {
        if (u32(tail.constData() + i) == EndSignature &&
            i + EndSize + u16(tail.constData() + i + 20) == tail.size()) {
            end = i;
            break;
        }
    }
    if (end < 0)
        return fail(Failure::NotZip, QStringLiteral("找不到 ZIP 目录"));
    const char *e = tail.constData() + end;
    qint64 count = u16(e + 10);
    qint64 directorySize = u32(e + 12);
    qint64 directoryOffset = u32(e + 16);
    if (u16(e + 4) != 0 || u16(e + 6) != 0)
        return fail(Failure::Damaged, QStringLiteral("分卷 ZIP 文件"));

    const qint64 endOffset = tailStart + end;
    const bool zip64 =
        count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF;
    if (zip64) {
        if (endOffset < End64LocatorSize || !file_->seek(endOffset - End64LocatorSize))
            return fail(Failure::Damaged, QStringLiteral("缺少 ZIP64 目录"));
        const QByteArray locator = file_->read(End64LocatorSize);
        if (locator.size() != End64LocatorSize || u32(locator.constData()) != End64LocatorSignature)
            return fail(Failure::Damaged, QStringLiteral("缺少 ZIP64 目录"));
        const quint64 end64 = u64(locator.constData() + 8);
        if (end64 > quint64(endOffset) || !file_->seek(qint64(end64)))
            return fail(Failure::Damaged, QStringLiteral("ZIP64 目录位置错误"));
        const QByteArray record = file_->read(End64Size);
        if (record.size() != End64Size || u32(record.constData()) != End64Signature)
            return fail(Failure::Damaged, QStringLiteral("ZIP64 目录损坏"));
        const quint64 count64 = u64(record.constData() + 32);
        const quint64 size64 = u64(record.constData() + 40);
        const quint64 offset64 = u64(record.constData() + 48);
        if (count64 > quint64(MaxEntries) + 1 || size64 > quint64(size) || offset64 > quint64(size))
            return fail(Failure::Damaged, QStringLiteral("ZIP64 目录损坏"));
        count = qint64(count64);
        directorySize = qint64(size64);
        directoryOffset = qint64(offset64);
    }
    if (directoryOffset + directorySize > endOffset)
        return fail(Failure::Damaged, QStringLiteral("ZIP 目录超出文件末尾（文件不完整）"));
    return readDirectory(directoryOffset, directorySize, count);
}

bool ZipArchive::readDirectory(qint64 directoryOffset, qint64 directorySize, qint64 count)
{
    if (count > MaxEntries)
        return fail(Failure::Damaged, QStringLiteral("ZIP 文件的条目多得异常（%1 个）").arg(count));
    if (directorySize > MaxDirectorySize)
        return fail(Failure::Damaged, QStringLiteral("ZIP 目录大得异常"));
    if (!file_->seek(directoryOffset))
        return fail(Failure::CannotOpen, file_->errorString());
    const QByteArray directory = file_->read(directorySize);
    if (directory.size() != directorySize)
        return fail(Failure::Damaged, QStringLiteral("ZIP 目录不完整"));

    const qint64 size = file_->size();
    qsizetype at = 0;
    entries_.reserve(qsizetype(count));
    for (qint64 n = 0; n < count; ++n) {
        if (at + DirectoryHeaderSize > directory.size() ||
            u32(directory.constData() + at) != DirectorySignature)
            return fail(Failure::Damaged, QStringLiteral("ZIP 目录损坏"));
        const char *h = directory.constData() + at;
        Entry entry;
        entry.flags = u16(h + 8);
        entry.method = u16(h + 10);
        entry.crc = u32(h + 16);
        entry.compressedSize = u32(h + 20);
        entry.uncompressedSize = u32(h + 24);
        const qsizetype nameLength = u16(h + 28);
        const qsizetype extraLength = u16(h + 30);
        const qsizetype commentLength = u16(h + 32);
        entry.localHeaderOffset = u32(h + 42);
        const qsizetype next = at + DirectoryHeaderSize + nameLength + extraLength + commentLength;
        if (next > directory.size())
            return fail(Failure::Damaged, QStringLiteral("ZIP 目录损坏"));
        const QByteArray name(h + DirectoryHeaderSize, nameLength);
        // Spreadsheet parts are named in ASCII; UTF-8 is the flagged encoding, and the
        // old code page is only ever met in names that are not read.
        entry.name =
            (entry.flags & Utf8NameFlag) ? QString::fromUtf8(name) : QString::fromLatin1(name);

        // ZIP64: the fields that read all ones are in the extra field, in this order.
        const char *extra = h + DirectoryHeaderSize + nameLength;
        for (qsizetype x = 0; x + 4 <= extraLength;) {
            const quint16 id = u16(extra + x);
            const qsizetype length = u16(extra + x + 2);
            if (x + 4 + length > extraLength)
                break;
            if (id == 0x0001) {
                const char *f = extra + x + 4;
                qsizetype left = length;
                const auto take = [&](qint64 &field) {
                    if (field != 0xFFFFFFFF || left < 8)
                        return;
                    const quint64 value = u64(f);
                    field = value > quint64(std::numeric_limits<qint64>::max())
                                ? std::numeric_limits<qint64>::max()
                                : qint64(value);
                    f += 8;
                    left -= 8;
                };
                take(entry.uncompressedSize);
                take(entry.compressedSize);
                take(entry.localHeaderOffset);
            }
            x += 4 + length;
        }
        if (entry.localHeaderOffset + LocalHeaderSize > size ||
            entry.compressedSize > size - entry.localHeaderOffset)
            return fail(Failure::Damaged,
                        QStringLiteral("条目“%1”超出文件末尾（文件不完整）").arg(entry.name));
        entries_.append(entry);
        at = next;
    }
    return true;
}

const ZipArchive::Entry *ZipArchive::find(const QString &name) const
{
    for (const Entry &entry : entries_) {
        if (entry.name == name)
            return &entry;
    }
    // OPC part names are compared without regard to case.
    for (const Entry &entry : entries_) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

std::unique_ptr<ZipArchive::EntryDevice> ZipArchive::openEntry(const Entry &entry)
{
    failure_ = Failure::None;
    detail_.clear();
    if ((entry.flags & (EncryptedFlag | StrongEncryptionFlag)) || entry.method == AesEncrypted) {
        fail(Failure::Encrypted, entry.name);
        return nullptr;
    }
    if (entry.method != Stored && entry.method != Deflated) {
        fail(Failure::Unsupported,
             QStringLiteral("条目“%1”的压缩方式 %2").arg(entry.name).arg(entry.method));
        return nullptr;
    }
    if (entry.uncompressedSize > entryCap_) {
        fail(Failure::TooLarge,
             QStringLiteral("条目“%1”解压后有 %2，上限是 %3")
                 .arg(entry.name, megabytes(entry.uncompressedSize), megabytes(entryCap_)));
        return nullptr;
    }
    if (entry.method == Stored && entry.compressedSize != entry.uncompressedSize) {
        fail(Failure::Damaged, QStringLiteral("条目“%1”的大小不一致").arg(entry.name));
        return nullptr;
    }
    if (!file_->seek(entry.localHeaderOffset)) {
        fail(Failure::Damaged, entry.name);
        return nullptr;
    }
    const QByteArray local = file_->read(LocalHeaderSize);
    if (local.size() != LocalHeaderSize || u32(local.constData()) != LocalSignature) {
        fail(Failure::Damaged, QStringLiteral("条目“%1”的文件头损坏").arg(entry.name));
        return nullptr;
    }
    const qint64 dataOffset = entry.localHeaderOffset + LocalHeaderSize +
                              u16(local.constData() + 26) + u16(local.constData() + 28);
    if (dataOffset + entry.compressedSize > file_->size()) {
        fail(Failure::Damaged,
             QStringLiteral("条目“%1”超出文件末尾（文件不完整）").arg(entry.name));
        return nullptr;
    }
    auto device = std::unique_ptr<EntryDevice>(new EntryDevice(*this, entry, dataOffset));
    if (device->failure() != Failure::None) {
        fail(device->failure(), device->detail());
        return nullptr;
    }
    device->open(QIODevice::ReadOnly);
    return device;
}

ZipArchive::EntryDevice::EntryDevice(ZipArchive &archive, const Entry &entry, qint64 dataOffset)
    : archive_(archive), entry_(entry), next_(dataOffset), remaining_(entry.compressedSize)
{
    crc_ = quint32(::crc32(0, nullptr, 0));
    if (entry.method == Deflated) {
        zip_ = std::make_unique<z_stream_s>();
        *zip_ = {};
        // Raw deflate: a ZIP entry has no zlib header.
        if (inflateInit2(zip_.get(), -MAX_WBITS) != Z_OK) {
            zip_.reset();
            fail(Failure::Damaged, QStringLiteral("无法解压"));
        }
    }
}

ZipArchive::EntryDevice::~EntryDevice()
{
    if (zip_)
        inflateEnd(zip_.get());
}

qint64 ZipArchive::EntryDevice::bytesAvailable() const
{
    return QIODevice::bytesAvailable();
}

qint64 ZipArchive::EntryDevice::fail(Failure failure, const QString &detail)
{
    if (failure_ == Failure::None) {
        failure_ = failure;
        detail_ = detail;
        setErrorString(detail);
    }
    finished_ = true;
    return -1;
}

bool ZipArchive::EntryDevice::refill()
{
    const qint64 chunk = std::min(remaining_, InputChunk);
    QFile &file = *archive_.file_;
    if (!file.seek(next_)) {
        fail(Failure::CannotOpen, file.errorString());
        return false;
    }
    input_.resize(chunk);
    const qint64 got = file.read(input_.data(), chunk);
    if (got != chunk) {
        fail(Failure::Damaged, QStringLiteral("条目“%1”读不完整").arg(entry_.name));
        return false;
    }
    next_ += chunk;
    remaining_ -= chunk;
    archive_.bytesRead_ += chunk;
    return true;
}

qint64 ZipArchive::EntryDevice::readData(char *data, qint64 maxSize)
{
    if (failure_ != Failure::None)
        return -1;
    if (finished_ || maxSize <= 0)
        return 0;
    // Never more than the entry declares, and never more than the cap: a stream that
    // would go on is a lie about its size, the mark of a ZIP bomb.
    const qint64 allowed = std::min(entry_.uncompressedSize, archive_.entryCap_) + 1 - produced_;
    maxSize = std::min({maxSize, allowed, qint64(std::numeric_limits<uInt>::max())});

    qint64 out = 0;
    if (entry_.method == Stored) {
        while (out < maxSize && (remaining_ > 0 || inputAt_ < input_.size())) {
            if (inputAt_ == input_.size()) {
                if (!refill())
                    return -1;
                inputAt_ = 0;
            }
            const qint64 n = std::min<qint64>(maxSize - out, input_.size() - inputAt_);
            std::memcpy(data + out, input_.constData() + inputAt_, size_t(n));
            inputAt_ += n;
            out += n;
        }
        if (remaining_ == 0 && inputAt_ == input_.size())
            finished_ = true;
    } else {
        z_stream_s &z = *zip_;
        z.next_out = reinterpret_cast<Bytef *>(data);
        z.avail_out = uInt(maxSize);
        while (z.avail_out > 0) {
            if (z.avail_in == 0 && remaining_ > 0) {
                if (!refill())
                    return -1;
                z.next_in = reinterpret_cast<Bytef *>(input_.data());
                z.avail_in = uInt(input_.size());
            }
            const int result = inflate(&z, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                finished_ = true;
                break;
            }
            if (result == Z_BUF_ERROR && z.avail_in == 0 && remaining_ == 0)
                return fail(Failure::Damaged,
                            QStringLiteral("条目“%1”的压缩数据不完整").arg(entry_.name));
            if (result != Z_OK && result != Z_BUF_ERROR)
                return fail(Failure::Damaged,
                            QStringLiteral("条目“%1”的压缩数据损坏").arg(entry_.name));
        }
        out = maxSize - z.avail_out;
    }
    crc_ = quint32(::crc32(crc_, reinterpret_cast<const Bytef *>(data), uInt(out)));
    produced_ += out;
    if (produced_ > entry_.uncompressedSize) {
        return fail(Failure::TooLarge, QStringLiteral("条目“%1”解压出的内容超过了它记录的 %2")
                                           .arg(entry_.name, megabytes(entry_.uncompressedSize)));
    }
    if (finished_) {
        if (produced_ != entry_.uncompressedSize)
            return fail(Failure::Damaged,
                        QStringLiteral("条目“%1”的大小与记录不符").arg(entry_.name));
        if (crc_ != entry_.crc)
            return fail(Failure::Damaged,
                        QStringLiteral("条目“%1”的校验值不符（数据已损坏）").arg(entry_.name));
    }
    return out;
}
