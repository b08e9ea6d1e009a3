#include "rtf/codepage.h"

#include <QStringDecoder>

#include <array>
#include <map>
#include <memory>

namespace orvane::rtf {
namespace {

// cp1252 differs from Latin-1 only in 0x80..0x9F; its five unassigned bytes map to themselves.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendCp1252(QString& out, std::string_view bytes) {
    const qsizetype start = out.size();
    out.resize(start + qsizetype(bytes.size()));
    QChar* dst = out.data() + start;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
}

const char* converterName(int codepage) {
    switch (codepage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 874: return "windows-874";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "CP949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 1361: return "johab";
    case 10000: return "macintosh";
    case 65001: return "UTF-8";
    default: return nullptr;
    }
}

// One decoder per code page for the life of the program; only the GUI thread reads documents,
// and each call resets the decoder's state before use.
QStringDecoder* decoderFor(int codepage) {
    thread_local std::map<int, std::unique_ptr<QStringDecoder>> decoders;
    auto it = decoders.find(codepage);
    if (it == decoders.end()) {
        std::unique_ptr<QStringDecoder> decoder;
        if (const char* name = converterName(codepage)) {
            decoder = std::make_unique<QStringDecoder>(name);
            if (!decoder->isValid())
                decoder.reset();
        }
        it = decoders.emplace(codepage, std::move(decoder)).first;
    }
    return it->second.get();
}

} // namespace

int codepageForCharset(int charset) {
    switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0; // ANSI, default, symbol and unknown: the document's code page
    }
}

void appendDecoded(QString& out, std::string_view bytes, int codepage) {
    if (codepage != 1252) {
        if (QStringDecoder* decoder = decoderFor(codepage)) {
            decoder->resetState();
            out += decoder->decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
            return;
        }
    }
    appendCp1252(out, bytes);
}

} // namespace orvane::rtf
