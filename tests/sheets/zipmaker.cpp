#include "zipmaker.h"

#include <QtEndian>

#include <zlib.h>

namespace {

void put16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray deflateAll(const QByteArray &bytes, int flush)
{
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(bytes.size()))) + 64, Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    z.avail_in = uInt(bytes.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, flush);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

} // namespace

struct ZipMaker::Entry {
    QString name;
    Options options;
    quint32 crc = 0;
    qint64 compressed = 0;
    qint64 size = 0;
    qint64 offset = 0;
};

struct ZipMaker::Deflater {
    z_stream z{};
};

ZipMaker::ZipMaker(QIODevice &out) : out_(out) {}

ZipMaker::~ZipMaker()
{
    qDeleteAll(entries_);
}

void ZipMaker::writeLocalHeader(Entry &entry)
{
    const QByteArray name = entry.name.toUtf8();
    QByteArray header;
    put32(header, 0x04034b50);
    put16(header, 20);
    put16(header,
          quint16(0x0800 | (entry.options.dataDescriptor ? 0x0008 : 0) | entry.options.extraFlags));
    put16(header, entry.options.deflated ? 8 : 0);
    put16(header, 0x6000); // 12:00
    put16(header, 0x5A21); // 2025-01-01
    put32(header, entry.options.dataDescriptor ? 0 : entry.crc);
    put32(header, entry.options.dataDescriptor ? 0 : quint32(entry.compressed));
    put32(header, entry.options.dataDescriptor ? 0 : quint32(entry.size));
    put16(header, quint16(name.size()));
    put16(header, 0);
    out_.write(header + name);
}

void ZipMaker::begin(const QString &name, Options options)
{
    open_ = new Entry{name, options, quint32(::crc32(0, nullptr, 0)), 0, 0, out_.pos()};
    entries_.append(open_);
    writeLocalHeader(*open_);
    if (options.deflated) {
        deflater_ = std::make_unique<Deflater>();
        deflateInit2(&deflater_->z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    }
}

void ZipMaker::write(const QByteArray &bytes)
{
    open_->crc = quint32(::crc32(open_->crc, reinterpret_cast<const Bytef *>(bytes.constData()),
                                 uInt(bytes.size())));
    open_->size += bytes.size();
    if (!open_->options.deflated) {
        out_.write(bytes);
        open_->compressed += bytes.size();
        return;
    }
    z_stream &z = deflater_->z;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    z.avail_in = uInt(bytes.size());
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    do {
        z.next_out = reinterpret_cast<Bytef *>(buffer.data());
        z.avail_out = uInt(buffer.size());
        deflate(&z, Z_NO_FLUSH);
        const qint64 n = buffer.size() - z.avail_out;
        out_.write(buffer.constData(), n);
        open_->compressed += n;
    } while (z.avail_out == 0);
}

void ZipMaker::end()
{
    if (open_->options.deflated) {
        z_stream &z = deflater_->z;
        z.next_in = nullptr;
        z.avail_in = 0;
        QByteArray buffer(1 << 16, Qt::Uninitialized);
        int result = Z_OK;
        do {
            z.next_out = reinterpret_cast<Bytef *>(buffer.data());
            z.avail_out = uInt(buffer.size());
            result = deflate(&z, Z_FINISH);
            const qint64 n = buffer.size() - z.avail_out;
            out_.write(buffer.constData(), n);
            open_->compressed += n;
        } while (result != Z_STREAM_END);
        deflateEnd(&z);
        deflater_.reset();
    }
    if (open_->options.dataDescriptor) {
        QByteArray descriptor;
        put32(descriptor, 0x08074b50);
        put32(descriptor, open_->crc);
        put32(descriptor, quint32(open_->compressed));
        put32(descriptor, quint32(open_->size));
        out_.write(descriptor);
    } else {
        const qint64 here = out_.pos();
        out_.seek(open_->offset);
        writeLocalHeader(*open_);
        out_.seek(here);
    }
    open_ = nullptr;
}

void ZipMaker::add(const QString &name, const QByteArray &bytes, Options options)
{
    begin(name, options);
    write(bytes);
    end();
}

void ZipMaker::addRaw(const QString &name, const QByteArray &deflated, quint32 crc,
                      qint64 declaredSize)
{
    auto *entry = new Entry{name, Options{}, crc, deflated.size(), declaredSize, out_.pos()};
    entries_.append(entry);
    writeLocalHeader(*entry);
    out_.write(deflated);
}

void ZipMaker::finish()
{
    const qint64 start = out_.pos();
    QByteArray directory;
    for (const Entry *entry : std::as_const(entries_)) {
        const QByteArray name = entry->name.toUtf8();
        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, quint16(0x0800 | (entry->options.dataDescriptor ? 0x0008 : 0) |
                                 entry->options.extraFlags));
        put16(directory, entry->options.deflated ? 8 : 0);
        put16(directory, 0x6000);
        put16(directory, 0x5A21);
        put32(directory, entry->crc);
        put32(directory, quint32(entry->compressed));
        put32(directory, quint32(std::min<qint64>(entry->size, 0xFFFFFFFE)));
        put16(directory, quint16(name.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, quint32(entry->offset));
        directory += name;
    }
    out_.write(directory);
    QByteArray end;
    put32(end, 0x06054b50);
    put16(end, 0);
    put16(end, 0);
    put16(end, quint16(entries_.size()));
    put16(end, quint16(entries_.size()));
    put32(end, quint32(directory.size()));
    put32(end, quint32(start));
    put16(end, 0);
    out_.write(end);
}

QByteArray rawDeflate(const QByteArray &bytes)
{
    return deflateAll(bytes, Z_FINISH);
}

quint32 crc32Of(const QByteArray &bytes)
{
    return quint32(::crc32(::crc32(0, nullptr, 0),
                           reinterpret_cast<const Bytef *>(bytes.constData()), uInt(bytes.size())));
}

QByteArray repeatedDeflate(const QByteArray &block, qint64 copies, quint32 *crc)
{
    // A full flush ends the block on a byte boundary with no reference behind it, so the
    // same bytes may follow themselves; an empty final block ends the stream.
    const QByteArray once = deflateAll(block, Z_FULL_FLUSH);
    QByteArray stream;
    stream.reserve(once.size() * copies + 8);
    quint32 sum = quint32(::crc32(0, nullptr, 0));
    for (qint64 i = 0; i < copies; ++i) {
        stream += once;
        sum = quint32(
            ::crc32(sum, reinterpret_cast<const Bytef *>(block.constData()), uInt(block.size())));
    }
    stream += QByteArray("\x03\x00", 2); // a final block of fixed codes holding only its end
    if (crc)
        *crc = sum;
    return stream;
}
