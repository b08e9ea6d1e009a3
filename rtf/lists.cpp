// The list tables: each list's number format per level, and the overrides that paragraphs name
// with \ls. A paragraph that carries its marker as text (\listtext) shows that instead.

#include "rtf/reader_state.h"

namespace orvane::rtf {
namespace {

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

} // namespace

void ListTables::word(Dest dest, Kw id, int param) {
    if (dest == Dest::ListTable) {
        switch (id) {
        case Kw::List:
            listEnd();
            inList_ = true;
            break;
        case Kw::ListLevel:
            if (levels_.size() < kMaxEntrySize)
                levels_.push_back(0);
            break;
        case Kw::LevelNfc:
            if (!levels_.empty())
                levels_.back() = param;
            break;
        case Kw::ListId: listId_ = param; break;
        default: break;
        }
        return;
    }
    switch (id) {
    case Kw::ListOverride: overrideListId_ = 0; break;
    case Kw::ListId: overrideListId_ = param; break;
    case Kw::Ls:
        if (overrides_.size() < kMaxTableEntries || overrides_.contains(param))
            overrides_[param] = overrideListId_;
        break;
    default: break;
    }
}

void ListTables::listEnd() {
    if (inList_ && (lists_.size() < kMaxTableEntries || lists_.contains(listId_)))
        lists_[listId_] = levels_;
    levels_.clear();
    listId_ = 0;
    inList_ = false;
}

QTextListFormat::Style ListTables::style(int ls, int level) const {
    const auto over = overrides_.find(ls);
    const auto list = over != overrides_.end() ? lists_.find(over->second) : lists_.end();
    int nfc = 23; // a bullet when the tables do not say
    if (list != lists_.end() && level >= 0 && std::size_t(level) < list->second.size())
        nfc = list->second[std::size_t(level)];
    return styleForNfc(nfc);
}

} // namespace orvane::rtf
