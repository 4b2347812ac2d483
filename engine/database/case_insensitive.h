#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>

namespace hz {

// Hash and equality of names without regard to case, for lookups that must not allocate (field names on the
// row loop's hot path). Names are nearly always ASCII and given as the table spells them, so ASCII letters are
// folded inline and an exact match is tried before Qt's case-folding comparison.
struct CaseInsensitiveHash {
    std::size_t operator()(const QString& text) const noexcept {
        std::size_t hash = 1469598103934665603ull;
        for (QChar c : text) {
            char16_t unit = c.unicode();
            if (unit >= u'A' && unit <= u'Z') {
                unit = static_cast<char16_t>(unit + (u'a' - u'A'));
            } else if (unit >= 0x80) {
                unit = c.toCaseFolded().unicode();
            }
            hash = (hash ^ unit) * 1099511628211ull;
        }
        return hash;
    }
};

inline bool SameNameIgnoringCase(QStringView a, QStringView b) noexcept {
    return a == b || a.compare(b, Qt::CaseInsensitive) == 0;
}

struct CaseInsensitiveEqual {
    bool operator()(const QString& a, const QString& b) const noexcept { return SameNameIgnoringCase(a, b); }
};

} // namespace hz
