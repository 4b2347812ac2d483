#pragma once

#include <QString>

#include <cstddef>

namespace hz {

// Hash and equality of names without regard to case, for lookups that must not allocate (field names on the
// row loop's hot path).
struct CaseInsensitiveHash {
    std::size_t operator()(const QString& text) const noexcept {
        std::size_t hash = 1469598103934665603ull;
        for (QChar c : text) {
            hash = (hash ^ c.toCaseFolded().unicode()) * 1099511628211ull;
        }
        return hash;
    }
};

struct CaseInsensitiveEqual {
    bool operator()(const QString& a, const QString& b) const noexcept {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    }
};

} // namespace hz
