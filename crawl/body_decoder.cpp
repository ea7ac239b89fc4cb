#include "crawl/body_decoder.h"

#include <zlib.h>

#include <algorithm>

namespace vorlane::crawl {

namespace {

constexpr qsizetype kInflateStep = 64 * 1024;

} // namespace

struct BodyDecoder::Inflater {
    z_stream stream{};
    bool deflate = false; // "deflate": zlib-wrapped as the standard says, or raw as some servers send it
    bool started = false; // the stream's format is settled once its first bytes were read
    bool ended = false;

    explicit Inflater(bool isDeflate) : deflate(isDeflate) {
        // 15 + 32: gzip or zlib, told apart by the header.
        inflateInit2(&stream, 15 + 32);
    }
    ~Inflater() { inflateEnd(&stream); }
};

BodyDecoder::BodyDecoder() = default;
BodyDecoder::~BodyDecoder() = default;

void BodyDecoder::reset(const QByteArray& contentEncoding) {
    const QByteArray coding = contentEncoding.trimmed().toLower();
    if (coding == "gzip" || coding == "x-gzip" || coding == "deflate")
        m_inflater = std::make_unique<Inflater>(coding == "deflate");
    else
        m_inflater.reset();
}

BodyDecoder::Status BodyDecoder::decode(const QByteArray& bytes, QByteArray& body, qint64 cap) {
    if (!m_inflater) {
        if (body.size() + bytes.size() > cap)
            return Status::TooLarge;
        body += bytes;
        return Status::Ok;
    }
    Inflater& in = *m_inflater;
    if (in.ended || bytes.isEmpty())
        return Status::Ok; // bytes after the end of the stream are ignored, as browsers do
    if (!in.started && in.deflate && bytes.size() >= 2) {
        // A zlib header is a multiple of 31 read as a big-endian 16-bit number with method 8; anything else
        // is a raw deflate stream.
        const auto b0 = uchar(bytes[0]), b1 = uchar(bytes[1]);
        if ((b0 & 0x0f) != 8 || ((b0 << 8) | b1) % 31 != 0) {
            inflateEnd(&in.stream);
            in.stream = z_stream{};
            inflateInit2(&in.stream, -15);
        }
    }
    in.started = true;
    in.stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    in.stream.avail_in = uInt(bytes.size());
    for (;;) {
        const qsizetype before = body.size();
        const qsizetype room = qsizetype(std::min<qint64>(kInflateStep, cap - before + 1));
        body.resize(before + room);
        in.stream.next_out = reinterpret_cast<Bytef*>(body.data() + before);
        in.stream.avail_out = uInt(room);
        const int status = inflate(&in.stream, Z_NO_FLUSH);
        body.resize(before + room - qsizetype(in.stream.avail_out));
        if (body.size() > cap)
            return Status::TooLarge;
        if (status == Z_STREAM_END) {
            in.ended = true;
            break;
        }
        if (status != Z_OK && status != Z_BUF_ERROR)
            return Status::Corrupt;
        if (in.stream.avail_out > 0)
            break; // every byte given is inflated; the rest of the stream is still to come
    }
    return Status::Ok;
}

} // namespace vorlane::crawl
