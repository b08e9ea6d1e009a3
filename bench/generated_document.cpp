#include "bench/generated_document.h"

#include <array>

namespace orvane::bench {

GeneratedDocument generateDocument(qsizetype approxBytes) {
    static constexpr std::array kWords{
        "heat",  "illness", "fluids", "shade",   "rest",     "break", "athletes",    "organisers",
        "cool",  "water",   "early",  "sun",     "humidity", "risk",  "temperature", "stroke",
        "signs", "first",   "aid",    "medical", "event",    "time",  "course",      "station"};
    GeneratedDocument doc;
    doc.rtf.reserve(approxBytes + 4096);
    doc.rtf += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman "
               "Times New Roman;}}{\\colortbl;\\red192\\green0\\blue0;\\red0\\green0\\blue128;}\n";
    doc.html = "<html><body>";
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    int paragraph = 0;
    while (doc.rtf.size() < approxBytes) {
        if (++paragraph % 25 == 0) {
            // A small table every so often, as the guidelines have.
            doc.html += "<table border=\"1\">";
            for (int r = 0; r < 4; ++r) {
                doc.rtf += "\\trowd\\cellx3000\\cellx6000\\cellx9000\n";
                doc.html += "<tr>";
                for (int c = 0; c < 3; ++c) {
                    const char* w = kWords[next() % kWords.size()];
                    doc.rtf += QByteArray("\\pard\\intbl ") + w + " " +
                               QByteArray::number(r * 3 + c) + "\\cell\n";
                    doc.html += QString("<td>%1 %2</td>").arg(w).arg(r * 3 + c);
                }
                doc.rtf += "\\row\n";
                doc.html += "</tr>";
            }
            doc.rtf += "\\pard\n";
            doc.html += "</table>";
            continue;
        }
        const bool heading = paragraph % 10 == 1;
        doc.rtf += heading ? "\\pard\\sb240\\sa120\\b\\fs28 " : "\\pard\\li360\\sa120\\fs20 ";
        doc.html +=
            heading
                ? "<p style=\"margin-top:16px;margin-bottom:8px\"><b style=\"font-size:14pt\">"
                : "<p style=\"margin-left:24px;margin-bottom:8px\"><span style=\"font-size:10pt\">";
        const int words = heading ? 6 : 60;
        for (int w = 0; w < words; ++w) {
            const char* word = kWords[next() % kWords.size()];
            switch (next() % 16) {
            case 0:
                doc.rtf += QByteArray("{\\b ") + word + "} ";
                doc.html += QString("<b>%1</b> ").arg(word);
                break;
            case 1:
                doc.rtf += QByteArray("{\\i\\cf1 ") + word + "} ";
                doc.html += QString("<i><span style=\"color:#c00000\">%1</span></i> ").arg(word);
                break;
            case 2:
                doc.rtf += QByteArray("{\\f1\\ul ") + word + "} ";
                doc.html +=
                    QString("<span style=\"font-family:'Times New Roman'\"><u>%1</u></span> ")
                        .arg(word);
                break;
            default:
                doc.rtf += QByteArray(word) + " ";
                doc.html += QString::fromLatin1(word) + u' ';
            }
        }
        doc.rtf += heading ? "\\b0\\par\n" : "\\par\n";
        doc.html += heading ? "</b></p>" : "</span></p>";
    }
    doc.rtf += "}";
    doc.html += "</body></html>";
    return doc;
}

GeneratedDocument generateFormatHeavy(qsizetype approxBytes) {
    static constexpr std::array kWords{"heat",  "illness",  "fluids", "shade", "rest",
                                       "break", "athletes", "cool",   "water", "risk"};
    GeneratedDocument doc;
    doc.rtf.reserve(approxBytes + 4096);
    doc.html.reserve(approxBytes * 2);
    doc.rtf += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n";
    doc.html = "<html><body>";
    unsigned seed = 4242;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    while (doc.rtf.size() < approxBytes) {
        doc.html += "<p>";
        for (int run = 0; run < 150; ++run) {
            const char* w = kWords[next() % kWords.size()];
            switch (next() % 7) {
            case 0:
                doc.rtf += QByteArray("{\\b ") + w + "} ";
                doc.html += QString("<b>%1</b> ").arg(w);
                break;
            case 1:
                doc.rtf += QByteArray("{\\i ") + w + "} ";
                doc.html += QString("<i>%1</i> ").arg(w);
                break;
            case 2:
                doc.rtf += QByteArray("{\\b\\i ") + w + "} ";
                doc.html += QString("<b><i>%1</i></b> ").arg(w);
                break;
            case 3:
                doc.rtf += "caf\\'e9 ";
                doc.html += QStringLiteral("caf\u00e9 ");
                break;
            case 4:
                doc.rtf += "\\u8364? ";
                doc.html += QStringLiteral("\u20ac ");
                break;
            case 5:
                doc.rtf += QByteArray("\\{") + w + "\\} ";
                doc.html += QString("{%1} ").arg(w);
                break;
            default: doc.rtf += QByteArray(w) + ' '; doc.html += QString::fromLatin1(w) + u' ';
            }
        }
        doc.rtf += "\\par\n";
        doc.html += "</p>";
    }
    doc.rtf += "}";
    doc.html += "</body></html>";
    return doc;
}

} // namespace orvane::bench
