#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>

#include <memory>

// Writes ZIP files entry by entry, as spreadsheet programs do: deflated (or stored), the
// sizes in the local header patched once the entry is written, or in a data descriptor
// after it (as streaming writers such as Apache POI do). An entry's bytes may be written a
// piece at a time, so a sheet of a million rows never stands whole in memory.
struct ZipEntryOptions {
    bool deflated = true;
    bool dataDescriptor = false;
    quint16 extraFlags = 0; // e.g. 1: "encrypted"
};

class ZipMaker {
public:
    using Options = ZipEntryOptions;

    explicit ZipMaker(QIODevice &out);
    ~ZipMaker();

    void begin(const QString &name, Options options);
    void begin(const QString &name) { begin(name, Options{}); }
    void write(const QByteArray &bytes);
    void end();
    void add(const QString &name, const QByteArray &bytes, Options options = {});
    // An entry whose directory says what `declaredSize` says, with `deflated` as its data:
    // for the lies of a ZIP bomb.
    void addRaw(const QString &name, const QByteArray &deflated, quint32 crc, qint64 declaredSize);
    // The central directory and its end record.
    void finish();

private:
    struct Entry;
    void writeLocalHeader(Entry &entry);
    QIODevice &out_;
    QList<Entry *> entries_;
    Entry *open_ = nullptr;
    struct Deflater;
    std::unique_ptr<Deflater> deflater_;
};

// Raw deflate of `bytes` (no zlib header), as inside a ZIP.
QByteArray rawDeflate(const QByteArray &bytes);
quint32 crc32Of(const QByteArray &bytes);

// A deflate stream that inflates to `copies` × `block` bytes, made without inflating it:
// one block compressed and flushed, repeated. For ZIP bombs.
QByteArray repeatedDeflate(const QByteArray &block, qint64 copies, quint32 *crc);
