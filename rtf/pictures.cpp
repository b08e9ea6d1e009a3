// Pictures: PNG, JPEG and device-independent bitmaps are decoded; metafiles, which Qt cannot
// draw, keep a placeholder of their size, so the text around them stays where it was.

#include "rtf/reader_state.h"

#include "rtf/hex.h"
#include "rtf/twips.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>

namespace orvane::rtf {
namespace {

constexpr double kHimetricPerPixel = 2540.0 / 96.0; // hundredths of a millimetre

// A DIB is a BMP file without its 14-byte file header; Qt reads it once the header is back.
QByteArray bmpFromDib(const QByteArray& dib) {
    if (dib.size() < 16)
        return {};
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(dib.constData() + at); };
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(dib.constData() + at); };
    const quint32 headerSize = u32(0);
    if (headerSize < 12 || headerSize > quint32(dib.size()))
        return {};
    const quint16 bitCount = headerSize == 12 ? u16(10) : u16(14);
    quint32 colors = headerSize >= 40 ? u32(32) : 0;
    if (colors == 0 && bitCount <= 8)
        colors = 1u << bitCount;
    quint32 masks = 0;
    if (headerSize == 40 && dib.size() >= 20 && (u32(16) == 3 || u32(16) == 6))
        masks = 12; // BI_BITFIELDS: three colour masks follow the header
    const quint32 offset =
        14 + headerSize + masks + std::min<quint32>(colors, 256) * (headerSize == 12 ? 3 : 4);
    QByteArray bmp(14, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian<quint32>(quint32(14 + dib.size()), bmp.data() + 2);
    qToLittleEndian<quint32>(offset, bmp.data() + 10);
    return bmp + dib;
}

} // namespace

void Picture::word(Kw id, int param) {
    switch (id) {
    case Kw::PngBlip: kind = Png; break;
    case Kw::JpegBlip: kind = Jpeg; break;
    case Kw::DibBitmap: kind = Dib; break;
    case Kw::Metafile: kind = Metafile; break;
    case Kw::PicW: picW = std::clamp(param, 0, 1'000'000); break;
    case Kw::PicH: picH = std::clamp(param, 0, 1'000'000); break;
    case Kw::PicWGoal: goalW = std::clamp(param, 0, 31680); break;
    case Kw::PicHGoal: goalH = std::clamp(param, 0, 31680); break;
    case Kw::PicScaleX: scaleX = std::clamp(param, 1, 1000); break;
    case Kw::PicScaleY: scaleY = std::clamp(param, 1, 1000); break;
    default: break;
    }
}

void Picture::hex(std::string_view digits, std::size_t maxBytes) {
    if (overflow)
        return;
    for (const char c : digits) {
        const int v = hexValue(c);
        if (v < 0)
            continue;
        if (nibble < 0) {
            nibble = v;
            continue;
        }
        if (std::size_t(data.size()) >= maxBytes) {
            overflow = true;
            return;
        }
        data.append(char(nibble * 16 + v));
        nibble = -1;
    }
}

void Picture::binary(std::string_view bytes, std::size_t maxBytes) {
    if (overflow)
        return;
    if (std::size_t(data.size()) + bytes.size() > maxBytes)
        overflow = true;
    else
        data.append(bytes.data(), qsizetype(bytes.size()));
}

QImage Picture::decode(long long maxPixels, bool pixels, double* width, double* height) const {
    *width = *height = 0;
    QImage image;
    QSize own;
    if (kind == Png || kind == Jpeg || kind == Dib) {
        QByteArray bytes = kind == Dib ? bmpFromDib(data) : data;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, kind == Png ? "png" : kind == Jpeg ? "jpeg" : "bmp");
        own = reader.size();
        // The size the file declares is checked before any pixel is allocated.
        if (!own.isValid() || own.isEmpty() ||
            static_cast<long long>(own.width()) * own.height() > maxPixels)
            return {};
        if (pixels)
            image = reader.read(); // null if the data is broken: a placeholder of the same size
    } else if (kind == Metafile) {
        own = QSize(int(picW / kHimetricPerPixel), int(picH / kHimetricPerPixel));
    } else {
        return {};
    }
    *width = (goalW > 0 ? twipsToPixels(goalW) : own.width()) * scaleX / 100.0;
    *height = (goalH > 0 ? twipsToPixels(goalH) : own.height()) * scaleY / 100.0;
    return image;
}

void Reader::pictureEnd() {
    const Picture pic = std::move(picture_);
    picture_ = Picture{};
    // Text shows nothing for a picture, but whether a picture stands there at all is decided
    // the same way for text as for a document, from its declared size, so that both see the
    // same paragraphs; only a document needs the pixels.
    if (pic.overflow || pic.data.isEmpty())
        return;
    if (top().dest != Dest::Body && top().dest != Dest::ListText)
        return;
    double width = 0, height = 0;
    const QImage image =
        pic.decode(limits_.maxPicturePixels, sink_.wantsFormats(), &width, &height);
    if (width < 1 || height < 1)
        return; // undecodable, or of no size to keep a place for
    out().image(image, std::min(width, 4000.0), std::min(height, 4000.0), charFormat());
    bodyOpen_ = bodyOpen_ || !top().footnote;
}

} // namespace orvane::rtf
