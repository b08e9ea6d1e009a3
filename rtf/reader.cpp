#include "rtf/reader.h"

#include "rtf/codepage.h"
#include "rtf/tokenizer.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace orvane::rtf {
namespace {

// Where the text of the current group goes.
enum class Dest : std::uint8_t {
    Body,
    ListText, // fallback list marker: shown as text
    FontTable,
    ColorTable,
    FieldInst,
    Pict,
    ListTable,
    ListOverrides,
};

enum class Kw : std::uint16_t {
    // destinations
    Rtf,
    FontTbl,
    ColorTbl,
    Skip,
    Pict,
    ShpPict,
    Field,
    FldInst,
    FldRslt,
    ListTable,
    ListOverrideTable,
    ListText,
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    Deff,
    Uc,
    // font and colour tables, lists
    F,
    FCharset,
    FNil,
    FRoman,
    FSwiss,
    FModern,
    FScript,
    FDecor,
    FTech,
    Red,
    Green,
    Blue,
    List,
    ListLevel,
    LevelNfc,
    ListId,
    ListOverride,
    Ls,
    Ilvl,
    // character
    Plain,
    B,
    I,
    Ul,
    UlNone,
    Strike,
    Fs,
    Cf,
    Cb,
    Super,
    Sub,
    NoSuperSub,
    Hidden,
    // paragraph
    Pard,
    Par,
    Sect,
    Line,
    Tab,
    Page,
    Ql,
    Qc,
    Qr,
    Qj,
    Li,
    Ri,
    Fi,
    Sb,
    Sa,
    Sl,
    SlMult,
    InTbl,
    PageBb,
    // tables
    Trowd,
    TrLeft,
    Cellx,
    Cell,
    Row,
    NestCell,
    NestRow,
    // pictures
    PngBlip,
    JpegBlip,
    OtherBlip,
    PicW,
    PicH,
    PicWGoal,
    PicHGoal,
    PicScaleX,
    PicScaleY,
    // special characters
    Char,
};

struct KwInfo {
    Kw kw;
    char16_t ch = 0; // for Kw::Char
};

const std::unordered_map<std::string_view, KwInfo>& keywords() {
    static const std::unordered_map<std::string_view, KwInfo> table = [] {
        std::unordered_map<std::string_view, KwInfo> t{
            {"rtf", {Kw::Rtf}},
            {"fonttbl", {Kw::FontTbl}},
            {"colortbl", {Kw::ColorTbl}},
            {"pict", {Kw::Pict}},
            {"shppict", {Kw::ShpPict}},
            {"field", {Kw::Field}},
            {"fldinst", {Kw::FldInst}},
            {"fldrslt", {Kw::FldRslt}},
            {"listtable", {Kw::ListTable}},
            {"listoverridetable", {Kw::ListOverrideTable}},
            {"listtext", {Kw::ListText}},
            {"pntext", {Kw::ListText}},
            {"ansi", {Kw::Ansi}},
            {"mac", {Kw::Mac}},
            {"pc", {Kw::Pc}},
            {"pca", {Kw::Pca}},
            {"ansicpg", {Kw::AnsiCpg}},
            {"deff", {Kw::Deff}},
            {"uc", {Kw::Uc}},
            {"f", {Kw::F}},
            {"fcharset", {Kw::FCharset}},
            {"fnil", {Kw::FNil}},
            {"froman", {Kw::FRoman}},
            {"fswiss", {Kw::FSwiss}},
            {"fmodern", {Kw::FModern}},
            {"fscript", {Kw::FScript}},
            {"fdecor", {Kw::FDecor}},
            {"ftech", {Kw::FTech}},
            {"fbidi", {Kw::FNil}},
            {"red", {Kw::Red}},
            {"green", {Kw::Green}},
            {"blue", {Kw::Blue}},
            {"list", {Kw::List}},
            {"listlevel", {Kw::ListLevel}},
            {"levelnfc", {Kw::LevelNfc}},
            {"levelnfcn", {Kw::LevelNfc}},
            {"listid", {Kw::ListId}},
            {"listoverride", {Kw::ListOverride}},
            {"ls", {Kw::Ls}},
            {"ilvl", {Kw::Ilvl}},
            {"plain", {Kw::Plain}},
            {"b", {Kw::B}},
            {"i", {Kw::I}},
            {"ul", {Kw::Ul}},
            {"uld", {Kw::Ul}},
            {"uldb", {Kw::Ul}},
            {"uldash", {Kw::Ul}},
            {"ulw", {Kw::Ul}},
            {"ulth", {Kw::Ul}},
            {"ulwave", {Kw::Ul}},
            {"ulnone", {Kw::UlNone}},
            {"strike", {Kw::Strike}},
            {"striked", {Kw::Strike}},
            {"fs", {Kw::Fs}},
            {"cf", {Kw::Cf}},
            {"cb", {Kw::Cb}},
            {"highlight", {Kw::Cb}},
            {"chcbpat", {Kw::Cb}},
            {"super", {Kw::Super}},
            {"sub", {Kw::Sub}},
            {"nosupersub", {Kw::NoSuperSub}},
            {"v", {Kw::Hidden}},
            {"pard", {Kw::Pard}},
            {"par", {Kw::Par}},
            {"sect", {Kw::Sect}},
            {"line", {Kw::Line}},
            {"tab", {Kw::Tab}},
            {"page", {Kw::Page}},
            {"ql", {Kw::Ql}},
            {"qc", {Kw::Qc}},
            {"qr", {Kw::Qr}},
            {"qj", {Kw::Qj}},
            {"qd", {Kw::Qj}},
            {"li", {Kw::Li}},
            {"lin", {Kw::Li}},
            {"ri", {Kw::Ri}},
            {"rin", {Kw::Ri}},
            {"fi", {Kw::Fi}},
            {"sb", {Kw::Sb}},
            {"sa", {Kw::Sa}},
            {"sl", {Kw::Sl}},
            {"slmult", {Kw::SlMult}},
            {"intbl", {Kw::InTbl}},
            {"pagebb", {Kw::PageBb}},
            {"trowd", {Kw::Trowd}},
            {"trleft", {Kw::TrLeft}},
            {"cellx", {Kw::Cellx}},
            {"cell", {Kw::Cell}},
            {"row", {Kw::Row}},
            {"nestcell", {Kw::NestCell}},
            {"nestrow", {Kw::NestRow}},
            {"pngblip", {Kw::PngBlip}},
            {"jpegblip", {Kw::JpegBlip}},
            {"wmetafile", {Kw::OtherBlip}},
            {"emfblip", {Kw::OtherBlip}},
            {"macpict", {Kw::OtherBlip}},
            {"dibitmap", {Kw::OtherBlip}},
            {"wbitmap", {Kw::OtherBlip}},
            {"pmmetafile", {Kw::OtherBlip}},
            {"picw", {Kw::PicW}},
            {"pich", {Kw::PicH}},
            {"picwgoal", {Kw::PicWGoal}},
            {"pichgoal", {Kw::PicHGoal}},
            {"picscalex", {Kw::PicScaleX}},
            {"picscaley", {Kw::PicScaleY}},
            {"emdash", {Kw::Char, 0x2014}},
            {"endash", {Kw::Char, 0x2013}},
            {"bullet", {Kw::Char, 0x2022}},
            {"lquote", {Kw::Char, 0x2018}},
            {"rquote", {Kw::Char, 0x2019}},
            {"ldblquote", {Kw::Char, 0x201C}},
            {"rdblquote", {Kw::Char, 0x201D}},
            {"emspace", {Kw::Char, 0x2003}},
            {"enspace", {Kw::Char, 0x2002}},
            {"qmspace", {Kw::Char, 0x2005}},
            {"zwj", {Kw::Char, 0x200D}},
            {"zwnj", {Kw::Char, 0x200C}},
            {"ltrmark", {Kw::Char, 0x200E}},
            {"rtlmark", {Kw::Char, 0x200F}},
        };
        // Destinations whose content is never part of the body text.
        for (std::string_view name : {"info",
                                      "stylesheet",
                                      "header",
                                      "headerl",
                                      "headerr",
                                      "headerf",
                                      "footer",
                                      "footerl",
                                      "footerr",
                                      "footerf",
                                      "footnote",
                                      "annotation",
                                      "atnid",
                                      "atnauthor",
                                      "atrfstart",
                                      "atrfend",
                                      "nonshppict",
                                      "objdata",
                                      "objclass",
                                      "objname",
                                      "pn",
                                      "pntxta",
                                      "pntxtb",
                                      "xe",
                                      "tc",
                                      "txe",
                                      "rxe",
                                      "bkmkstart",
                                      "bkmkend",
                                      "nonesttables",
                                      "shpinst",
                                      "shptxt",
                                      "do",
                                      "revtbl",
                                      "rsidtbl",
                                      "xmlnstbl",
                                      "latentstyles",
                                      "themedata",
                                      "colorschememapping",
                                      "datastore",
                                      "generator",
                                      "pgdsctbl",
                                      "mmathPr",
                                      "filetbl",
                                      "fchars",
                                      "lchars",
                                      "ftnsep",
                                      "ftnsepc",
                                      "ftncn",
                                      "aftnsep",
                                      "aftnsepc",
                                      "aftncn",
                                      "template",
                                      "docvar",
                                      "userprops",
                                      "comment",
                                      "title",
                                      "subject",
                                      "author",
                                      "operator",
                                      "keywords",
                                      "doccomm",
                                      "company",
                                      "category",
                                      "manager",
                                      "hlinkbase",
                                      "printim",
                                      "creatim",
                                      "revtim",
                                      "buptim",
                                      "fldtype",
                                      "datafield",
                                      "formfield",
                                      "listpicture",
                                      "protusertbl",
                                      "wgrffmtfilter",
                                      "xmlopen",
                                      "xmlclose",
                                      "falt",
                                      "panose",
                                      "leveltext",
                                      "levelnumbers",
                                      "listname",
                                      "blipuid",
                                      "picprop",
                                      "sp"})
            t.emplace(name, KwInfo{Kw::Skip});
        return t;
    }();
    return table;
}

struct CharState {
    int font = -1; // -1: the document's default font
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
    int script = 0;
    int foreground = 0, background = 0; // colour table indices, 0 automatic
    bool operator==(const CharState&) const = default;
};

struct GroupState {
    CharState chr;
    ParFormat par;
    int uc = 1;
    int codepage = 1252;
    Dest dest = Dest::Body;
    bool star = false;
    QString href;      // hyperlink target of the text in this group
    QString fieldHref; // target found in this field's instruction, for its result
};

struct Font {
    QString name;
    FontClass fontClass = FontClass::Any;
    int codepage = 0; // 0: the document's code page
};

struct Picture {
    enum Kind { Unknown, Png, Jpeg, Other } kind = Unknown;
    QByteArray data;
    int nibble = -1;
    bool overflow = false;
    int picW = 0, picH = 0, goalW = 0, goalH = 0, scaleX = 100, scaleY = 100;
};

int clampTwips(int v) {
    return std::clamp(v, -31680, 31680);
} // +/- 22 inches

QTextListFormat::Style styleForNfc(int nfc) {
    switch (nfc) {
    case 0: return QTextListFormat::ListDecimal;
    case 1: return QTextListFormat::ListUpperRoman;
    case 2: return QTextListFormat::ListLowerRoman;
    case 3: return QTextListFormat::ListUpperAlpha;
    case 4: return QTextListFormat::ListLowerAlpha;
    case 255: return QTextListFormat::ListStyleUndefined;
    default: return QTextListFormat::ListDisc;
    }
}

// The target of a HYPERLINK field instruction: its first argument, or "#bookmark" for \l.
QString hyperlinkTarget(const QString& instruction) {
    // Words are separated by blanks; a quoted argument is one word, blanks and all.
    QStringList words;
    QString word;
    bool quoted = false, inWord = false;
    for (const QChar c : instruction) {
        if (c == u'"') {
            if (quoted) {
                words << word;
                word.clear();
            }
            quoted = !quoted;
            inWord = quoted;
        } else if (!quoted && c.isSpace()) {
            if (inWord) {
                words << word;
                word.clear();
            }
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    if (words.isEmpty() || words.front().compare(u"HYPERLINK", Qt::CaseInsensitive) != 0)
        return {};
    QString target, bookmark;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& w = words[i];
        if (w.startsWith(u'\\')) {
            if (w == u"\\l" && i + 1 < words.size())
                bookmark = words[++i];
            else if ((w == u"\\o" || w == u"\\t" || w == u"\\m") && i + 1 < words.size())
                ++i;
        } else if (target.isEmpty()) {
            target = w;
        }
    }
    if (!bookmark.isEmpty())
        target += u'#' + bookmark;
    return target;
}

class Reader {
public:
    Reader(std::string_view bytes, Sink& sink, const Limits& limits)
        : tok_(bytes), sink_(sink), limits_(limits) {}

    void run();

private:
    GroupState& top() { return stack_.back(); }
    void word(const Token& t);
    void symbol(char c);
    void text(std::string_view bytes);
    void unicode(char16_t unit);
    void flush();
    void endParagraph(bool cell);
    void openGroup();
    void closeGroup();
    void finishDestination(const GroupState& closed);
    void skipRestOfGroup();
    const CharFormat& charFormat();
    ParFormat parFormat() const;
    int codepageOfFont(int font) const;
    void commitFont();
    void commitList();
    void emitPicture();

    Tokenizer tok_;
    Sink& sink_;
    Limits limits_;
    std::vector<GroupState> stack_;

    int docCodepage_ = 1252;
    int defaultFont_ = 0;
    std::unordered_map<int, Font> fonts_;
    std::vector<QColor> colors_; // entry 0 is the automatic colour
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorTouched_ = false;

    int fontId_ = 0;
    Font fontEntry_;
    QString fontName_;

    std::unordered_map<int, std::vector<int>> lists_; // list id -> number format per level
    std::unordered_map<int, int> overrides_;          // \ls -> list id
    std::vector<int> listLevels_;
    int listId_ = 0;
    bool inList_ = false;
    int overrideListId_ = 0;

    QString fieldInstruction_;
    Picture picture_;
    RowFormat row_;

    std::string bytes_; // undecoded text of the current run
    QString pending_;   // decoded text not yet handed on
    char16_t highSurrogate_ = 0;
    int skip_ = 0; // characters still to drop after \uN
    bool listTextSeen_ = false;
    bool pageBreakNext_ = false;

    CharFormat resolved_;
    CharState resolvedFrom_;
    QString resolvedHref_;
    bool resolvedValid_ = false;
};

void Reader::run() {
    stack_.reserve(64);
    stack_.push_back(GroupState{});
    // The file's own opening brace belongs to the root group.
    Token first = tok_.next();
    (void)first;
    for (Token t = tok_.next(); t.kind != Token::End; t = tok_.next()) {
        switch (t.kind) {
        case Token::GroupOpen: openGroup(); break;
        case Token::GroupClose:
            if (stack_.size() == 1) {
                // The document's closing brace: anything after it is not part of it.
                flush();
                sink_.finish(parFormat());
                return;
            }
            closeGroup();
            break;
        case Token::ControlWord:
            if (skip_ > 0) {
                --skip_;
                break;
            }
            word(t);
            break;
        case Token::ControlSymbol:
            if (skip_ > 0) {
                --skip_;
                break;
            }
            symbol(t.symbol);
            break;
        case Token::HexByte:
            if (skip_ > 0) {
                --skip_;
                break;
            }
            if (top().dest == Dest::Pict)
                break; // pictures are hex digits, not escaped bytes
            {
                const char c = static_cast<char>(t.byte);
                text(std::string_view(&c, 1));
            }
            break;
        case Token::Unicode:
            unicode(static_cast<char16_t>(t.param));
            skip_ = top().uc;
            break;
        case Token::Text:
            if (skip_ > 0) {
                const std::size_t drop = std::min<std::size_t>(std::size_t(skip_), t.name.size());
                skip_ -= int(drop);
                t.name.remove_prefix(drop);
            }
            if (!t.name.empty())
                text(t.name);
            break;
        case Token::Binary:
            if (skip_ > 0) {
                --skip_;
                break;
            }
            if (top().dest == Dest::Pict && !picture_.overflow) {
                if (std::size_t(picture_.data.size()) + t.name.size() > limits_.maxPictureBytes)
                    picture_.overflow = true;
                else
                    picture_.data.append(t.name.data(), qsizetype(t.name.size()));
            }
            break;
        case Token::End: break;
        }
    }
    // Truncated file: show what was read.
    flush();
    while (stack_.size() > 1)
        closeGroup();
    sink_.finish(parFormat());
}

void Reader::openGroup() {
    flush();
    skip_ = 0;
    if (stack_.size() >= limits_.maxDepth) {
        tok_.skipGroup();
        return;
    }
    stack_.push_back(stack_.back());
    top().star = false;
}

void Reader::closeGroup() {
    flush();
    skip_ = 0;
    GroupState closed = std::move(stack_.back());
    stack_.pop_back();
    if (closed.dest != top().dest)
        finishDestination(closed);
}

void Reader::skipRestOfGroup() {
    tok_.skipGroup();
    if (stack_.size() > 1)
        stack_.pop_back();
}

void Reader::finishDestination(const GroupState& closed) {
    switch (closed.dest) {
    case Dest::FieldInst:
        top().fieldHref = hyperlinkTarget(fieldInstruction_);
        fieldInstruction_.clear();
        break;
    case Dest::Pict: emitPicture(); break;
    case Dest::FontTable: commitFont(); break;
    case Dest::ListTable: commitList(); break;
    default: break;
    }
}

void Reader::commitFont() {
    const qsizetype semicolon = fontName_.indexOf(u';');
    QString name = (semicolon >= 0 ? fontName_.left(semicolon) : fontName_).trimmed();
    if (!name.isEmpty() || fontEntry_.fontClass != FontClass::Any) {
        fontEntry_.name = name;
        fonts_[fontId_] = fontEntry_;
    }
    fontEntry_ = Font{};
    fontName_.clear();
}

void Reader::commitList() {
    if (inList_)
        lists_[listId_] = listLevels_;
    listLevels_.clear();
    listId_ = 0;
    inList_ = false;
}

void Reader::emitPicture() {
    Picture pic = std::move(picture_);
    picture_ = Picture{};
    if (pic.overflow || pic.data.isEmpty() ||
        (pic.kind != Picture::Png && pic.kind != Picture::Jpeg))
        return;
    if (top().dest != Dest::Body && top().dest != Dest::ListText)
        return;
    QBuffer buffer(&pic.data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, pic.kind == Picture::Png ? "png" : "jpeg");
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() ||
        static_cast<long long>(size.width()) * size.height() > limits_.maxPicturePixels)
        return;
    const QImage image = reader.read();
    if (image.isNull())
        return;
    const double scaleX = (pic.scaleX > 0 ? pic.scaleX : 100) / 100.0;
    const double scaleY = (pic.scaleY > 0 ? pic.scaleY : 100) / 100.0;
    const double width = pic.goalW > 0 ? pic.goalW / 15.0 : image.width();
    const double height = pic.goalH > 0 ? pic.goalH / 15.0 : image.height();
    sink_.image(image, width * scaleX, height * scaleY, charFormat());
}

int Reader::codepageOfFont(int font) const {
    const auto it = fonts_.find(font < 0 ? defaultFont_ : font);
    return it != fonts_.end() && it->second.codepage != 0 ? it->second.codepage : docCodepage_;
}

const CharFormat& Reader::charFormat() {
    const GroupState& s = top();
    if (resolvedValid_ && resolvedFrom_ == s.chr && resolvedHref_ == s.href)
        return resolved_;
    const std::uint64_t generation = resolved_.generation + 1;
    resolved_ = CharFormat{};
    resolved_.generation = generation;
    const auto font = fonts_.find(s.chr.font < 0 ? defaultFont_ : s.chr.font);
    if (font != fonts_.end()) {
        resolved_.family = font->second.name;
        resolved_.fontClass = font->second.fontClass;
    }
    resolved_.halfPoints = s.chr.halfPoints;
    resolved_.bold = s.chr.bold;
    resolved_.italic = s.chr.italic;
    resolved_.underline = s.chr.underline;
    resolved_.strike = s.chr.strike;
    resolved_.script = s.chr.script;
    auto color = [&](int index) {
        return index > 0 && std::size_t(index) < colors_.size() ? colors_[std::size_t(index)]
                                                                : QColor();
    };
    resolved_.foreground = color(s.chr.foreground);
    resolved_.background = color(s.chr.background);
    resolved_.href = s.href;
    resolvedFrom_ = s.chr;
    resolvedHref_ = s.href;
    resolvedValid_ = true;
    return resolved_;
}

ParFormat Reader::parFormat() const {
    ParFormat p = stack_.back().par;
    p.pageBreakBefore = p.pageBreakBefore || pageBreakNext_;
    if (p.listId > 0 && !listTextSeen_) {
        const auto over = overrides_.find(p.listId);
        const auto list = over != overrides_.end() ? lists_.find(over->second) : lists_.end();
        int nfc = 23; // bullet when the tables do not say
        if (list != lists_.end() && p.listLevel >= 0 &&
            std::size_t(p.listLevel) < list->second.size())
            nfc = list->second[std::size_t(p.listLevel)];
        p.listStyle = styleForNfc(nfc);
    } else {
        p.listStyle = QTextListFormat::ListStyleUndefined;
    }
    return p;
}

void Reader::flush() {
    if (!bytes_.empty()) {
        appendDecoded(pending_, bytes_, top().codepage);
        bytes_.clear();
    }
    if (highSurrogate_ != 0) {
        pending_ += QChar(QChar::ReplacementCharacter);
        highSurrogate_ = 0;
    }
    if (pending_.isEmpty())
        return;
    switch (top().dest) {
    case Dest::Body:
    case Dest::ListText:
        if (!top().chr.hidden) // hidden text is for the author, not the reader
            sink_.text(pending_, charFormat());
        break;
    case Dest::FontTable: fontName_ += pending_; break;
    case Dest::FieldInst:
        if (fieldInstruction_.size() < 65536)
            fieldInstruction_ += pending_;
        break;
    default: break;
    }
    pending_.clear();
}

void Reader::text(std::string_view bytes) {
    switch (top().dest) {
    case Dest::ColorTable:
        for (const char c : bytes) {
            if (c == ';') {
                colors_.push_back(colorTouched_ ? QColor(red_, green_, blue_) : QColor());
                red_ = green_ = blue_ = 0;
                colorTouched_ = false;
            }
        }
        return;
    case Dest::Pict:
        if (picture_.overflow)
            return;
        for (const char c : bytes) {
            int v = -1;
            if (c >= '0' && c <= '9')
                v = c - '0';
            else if (c >= 'a' && c <= 'f')
                v = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                v = c - 'A' + 10;
            if (v < 0)
                continue;
            if (picture_.nibble < 0) {
                picture_.nibble = v;
            } else {
                if (std::size_t(picture_.data.size()) >= limits_.maxPictureBytes) {
                    picture_.overflow = true;
                    return;
                }
                picture_.data.append(char(picture_.nibble * 16 + v));
                picture_.nibble = -1;
            }
        }
        return;
    case Dest::ListTable:
    case Dest::ListOverrides: return;
    default:
        if (highSurrogate_ != 0) {
            pending_ += QChar(QChar::ReplacementCharacter);
            highSurrogate_ = 0;
        }
        bytes_.append(bytes);
        if (top().dest == Dest::FontTable)
            flush(); // a font name ends at ';', so see it as it comes
        if (top().dest == Dest::FontTable && fontName_.contains(u';'))
            commitFont();
    }
}

void Reader::unicode(char16_t unit) {
    if (!bytes_.empty()) {
        appendDecoded(pending_, bytes_, top().codepage);
        bytes_.clear();
    }
    if (QChar::isHighSurrogate(unit)) {
        if (highSurrogate_ != 0)
            pending_ += QChar(QChar::ReplacementCharacter);
        highSurrogate_ = unit;
        return;
    }
    if (QChar::isLowSurrogate(unit)) {
        if (highSurrogate_ != 0) {
            pending_ += QChar(highSurrogate_);
            pending_ += QChar(unit);
            highSurrogate_ = 0;
        } else {
            pending_ += QChar(QChar::ReplacementCharacter);
        }
        return;
    }
    if (highSurrogate_ != 0) {
        pending_ += QChar(QChar::ReplacementCharacter);
        highSurrogate_ = 0;
    }
    pending_ += QChar(unit);
}

void Reader::endParagraph(bool cell) {
    flush();
    const ParFormat p = parFormat();
    if (cell)
        sink_.cellEnd(p);
    else
        sink_.paragraphEnd(p);
    listTextSeen_ = false;
    pageBreakNext_ = false;
}

void Reader::symbol(char c) {
    switch (c) {
    case '\\':
    case '{':
    case '}': text(std::string_view(&c, 1)); break;
    case '~': unicode(0x00A0); break;
    case '-': unicode(0x00AD); break;
    case '_': unicode(0x2011); break;
    case '\t': unicode(u'\t'); break;
    case '\n':
    case '\r':
        if (top().dest == Dest::Body)
            endParagraph(false);
        break;
    case '*': top().star = true; break;
    default: break;
    }
}

void Reader::word(const Token& t) {
    const auto& table = keywords();
    const auto found = table.find(t.name);
    if (found == table.end()) {
        if (top().star)
            skipRestOfGroup(); // an optional destination we do not know
        return;
    }
    const Kw kw = found->second.kw;
    const int param = t.param;
    const bool on = !t.hasParam || t.param != 0;
    GroupState& s = top();

    // Words that mean something only inside a table destination.
    switch (s.dest) {
    case Dest::FontTable:
        switch (kw) {
        case Kw::F:
            flush();
            if (!fontName_.trimmed().isEmpty() || fontEntry_.fontClass != FontClass::Any)
                commitFont();
            fontEntry_ = Font{};
            fontName_.clear();
            fontId_ = param;
            return;
        case Kw::FCharset: fontEntry_.codepage = codepageForCharset(param); return;
        case Kw::FNil: fontEntry_.fontClass = FontClass::Any; return;
        case Kw::FRoman: fontEntry_.fontClass = FontClass::Roman; return;
        case Kw::FSwiss: fontEntry_.fontClass = FontClass::Swiss; return;
        case Kw::FModern: fontEntry_.fontClass = FontClass::Modern; return;
        case Kw::FScript: fontEntry_.fontClass = FontClass::Script; return;
        case Kw::FDecor: fontEntry_.fontClass = FontClass::Decor; return;
        case Kw::FTech: fontEntry_.fontClass = FontClass::Tech; return;
        case Kw::Skip: skipRestOfGroup(); return;
        default: return;
        }
    case Dest::ColorTable:
        switch (kw) {
        case Kw::Red: red_ = std::clamp(param, 0, 255), colorTouched_ = true; return;
        case Kw::Green: green_ = std::clamp(param, 0, 255), colorTouched_ = true; return;
        case Kw::Blue: blue_ = std::clamp(param, 0, 255), colorTouched_ = true; return;
        default: return;
        }
    case Dest::ListTable:
        switch (kw) {
        case Kw::List:
            commitList();
            inList_ = true;
            return;
        case Kw::ListLevel: listLevels_.push_back(0); return;
        case Kw::LevelNfc:
            if (!listLevels_.empty())
                listLevels_.back() = param;
            return;
        case Kw::ListId: listId_ = param; return;
        case Kw::Skip: skipRestOfGroup(); return;
        default:
            if (s.star)
                skipRestOfGroup();
            return;
        }
    case Dest::ListOverrides:
        switch (kw) {
        case Kw::ListOverride: overrideListId_ = 0; return;
        case Kw::ListId: overrideListId_ = param; return;
        case Kw::Ls: overrides_[param] = overrideListId_; return;
        default:
            if (s.star)
                skipRestOfGroup();
            return;
        }
    case Dest::Pict:
        switch (kw) {
        case Kw::PngBlip: picture_.kind = Picture::Png; return;
        case Kw::JpegBlip: picture_.kind = Picture::Jpeg; return;
        case Kw::OtherBlip: picture_.kind = Picture::Other; return;
        case Kw::PicW: picture_.picW = param; return;
        case Kw::PicH: picture_.picH = param; return;
        case Kw::PicWGoal: picture_.goalW = std::clamp(param, 0, 31680); return;
        case Kw::PicHGoal: picture_.goalH = std::clamp(param, 0, 31680); return;
        case Kw::PicScaleX: picture_.scaleX = std::clamp(param, 1, 1000); return;
        case Kw::PicScaleY: picture_.scaleY = std::clamp(param, 1, 1000); return;
        case Kw::Skip: skipRestOfGroup(); return;
        default:
            if (s.star)
                skipRestOfGroup();
            return;
        }
    case Dest::FieldInst:
        if (kw == Kw::Skip || (s.star && kw != Kw::FldInst))
            skipRestOfGroup();
        else if (kw == Kw::Char)
            unicode(found->second.ch);
        return;
    default: break;
    }

    // Body text, list markers and everything that changes how they look.
    // Text read so far belongs to the state before this word.
    flush();
    switch (kw) {
    case Kw::Rtf: break;
    case Kw::Skip: skipRestOfGroup(); break;
    case Kw::FontTbl:
        s.dest = Dest::FontTable;
        fontEntry_ = Font{};
        fontName_.clear();
        break;
    case Kw::ColorTbl: s.dest = Dest::ColorTable; break;
    case Kw::ListTable: s.dest = Dest::ListTable; break;
    case Kw::ListOverrideTable: s.dest = Dest::ListOverrides; break;
    case Kw::Pict:
        s.dest = Dest::Pict;
        picture_ = Picture{};
        break;
    case Kw::ShpPict: break;
    case Kw::Field: s.fieldHref.clear(); break;
    case Kw::FldInst:
        s.dest = Dest::FieldInst;
        fieldInstruction_.clear();
        break;
    case Kw::FldRslt: s.href = s.fieldHref; break;
    case Kw::ListText:
        s.dest = Dest::ListText;
        listTextSeen_ = true;
        break;
    case Kw::Ansi: docCodepage_ = s.codepage = 1252; break;
    case Kw::Mac: docCodepage_ = s.codepage = 10000; break;
    case Kw::Pc: docCodepage_ = s.codepage = 437; break;
    case Kw::Pca: docCodepage_ = s.codepage = 850; break;
    case Kw::AnsiCpg:
        if (param > 0)
            docCodepage_ = s.codepage = param;
        break;
    case Kw::Deff: defaultFont_ = param; break;
    case Kw::Uc: s.uc = std::clamp(param, 0, 16); break;
    case Kw::F: {
        s.chr.font = param;
        s.codepage = codepageOfFont(param);
        break;
    }
    case Kw::Plain:
        s.chr = CharState{};
        s.codepage = codepageOfFont(-1);
        break;
    case Kw::B: s.chr.bold = on; break;
    case Kw::I: s.chr.italic = on; break;
    case Kw::Ul: s.chr.underline = on; break;
    case Kw::UlNone: s.chr.underline = false; break;
    case Kw::Strike: s.chr.strike = on; break;
    case Kw::Fs: s.chr.halfPoints = t.hasParam && param > 0 ? std::min(param, 3276) : 24; break;
    case Kw::Cf: s.chr.foreground = param; break;
    case Kw::Cb: s.chr.background = param; break;
    case Kw::Super: s.chr.script = on ? 1 : 0; break;
    case Kw::Sub: s.chr.script = on ? -1 : 0; break;
    case Kw::NoSuperSub: s.chr.script = 0; break;
    case Kw::Hidden: s.chr.hidden = on; break;
    case Kw::Pard: s.par = ParFormat{}; break;
    case Kw::Par:
    case Kw::Sect:
        if (s.dest == Dest::Body)
            endParagraph(false);
        break;
    case Kw::Page:
        if (s.dest == Dest::Body) {
            endParagraph(false);
            pageBreakNext_ = true;
        }
        break;
    case Kw::Line: sink_.lineBreak(charFormat()); break;
    case Kw::Tab: unicode(u'\t'); break;
    case Kw::Char: unicode(found->second.ch); break;
    case Kw::Ql: s.par.align = Align::Left; break;
    case Kw::Qc: s.par.align = Align::Center; break;
    case Kw::Qr: s.par.align = Align::Right; break;
    case Kw::Qj: s.par.align = Align::Justify; break;
    case Kw::Li: s.par.leftIndent = clampTwips(param); break;
    case Kw::Ri: s.par.rightIndent = clampTwips(param); break;
    case Kw::Fi: s.par.firstIndent = clampTwips(param); break;
    case Kw::Sb: s.par.spaceBefore = clampTwips(param); break;
    case Kw::Sa: s.par.spaceAfter = clampTwips(param); break;
    case Kw::Sl: s.par.lineSpacing = clampTwips(param); break;
    case Kw::SlMult: s.par.lineMultiple = on; break;
    case Kw::InTbl: s.par.inTable = on; break;
    case Kw::PageBb: s.par.pageBreakBefore = on; break;
    case Kw::Ls: s.par.listId = param; break;
    case Kw::Ilvl: s.par.listLevel = std::clamp(param, 0, 8); break;
    case Kw::Trowd: row_ = RowFormat{}; break;
    case Kw::TrLeft: row_.left = clampTwips(param); break;
    case Kw::Cellx:
        if (row_.cellRights.size() < limits_.maxTableColumns)
            row_.cellRights.push_back(clampTwips(param));
        break;
    case Kw::Cell:
        if (s.dest == Dest::Body)
            endParagraph(true);
        break;
    case Kw::Row: sink_.rowEnd(row_); break;
    case Kw::NestCell: unicode(u'\t'); break;
    case Kw::NestRow:
        if (s.dest == Dest::Body)
            endParagraph(false);
        break;
    default:
        if (s.star)
            skipRestOfGroup();
        break;
    }
}

} // namespace

bool looksLikeRtf(std::string_view bytes) {
    return bytes.substr(0, 5) == "{\\rtf";
}

ReadResult read(std::string_view bytes, Sink& sink, const Limits& limits) {
    if (!looksLikeRtf(bytes))
        return {false, QStringLiteral("not a rich-text document")};
    Reader(bytes, sink, limits).run();
    return {};
}

} // namespace orvane::rtf
