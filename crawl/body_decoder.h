#pragma once
// Undoes a response's Content-Encoding (gzip or deflate) as the body streams in, never holding more than the
// cap it is given: a small compressed body that would inflate to gigabytes is caught within the first bytes
// past the cap. Any other encoding (or none) passes through as sent.

#include <QByteArray>
#include <memory>

namespace vorlane::crawl {

class BodyDecoder {
public:
    enum class Status { Ok, TooLarge, Corrupt };

    BodyDecoder();
    ~BodyDecoder();
    BodyDecoder(const BodyDecoder&) = delete;
    BodyDecoder& operator=(const BodyDecoder&) = delete;

    // Starts over for a response with this Content-Encoding header ("gzip", "x-gzip", "deflate", ...).
    void reset(const QByteArray& contentEncoding);
    // Appends the decoded form of `bytes` to `body`; TooLarge as soon as `body` would pass `cap`.
    Status decode(const QByteArray& bytes, QByteArray& body, qint64 cap);

private:
    struct Inflater;
    std::unique_ptr<Inflater> m_inflater; // null: the body passes through
};

} // namespace vorlane::crawl
