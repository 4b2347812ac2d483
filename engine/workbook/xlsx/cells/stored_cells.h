#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace hz {

enum class RawCellType : std::uint8_t { Blank, Number, SharedString, Text, Boolean, Error, Date };

// One cell as SheetCells holds it: 16 bytes.
struct StoredCell {
    struct TextSpan {
        std::uint32_t offset; // in the sheet's text pool
        std::uint32_t length;
    };

    std::uint16_t column; // 1-based
    RawCellType type;
    bool hasFormula;
    std::uint32_t style;
    union {
        double number;
        std::uint32_t sharedString;
        TextSpan text;
    };
};

// Cells appended one after another and found by index. They lie in blocks of fixed size, so growing never copies
// them (a large sheet would otherwise be copied several times over while it is read, and held twice meanwhile).
class StoredCells {
public:
    std::size_t Size() const { return count; }
    const StoredCell& operator[](std::size_t index) const { return blocks[index >> kBlockShift][index & kBlockMask]; }
    const StoredCell& Back() const { return (*this)[count - 1]; }

    void PushBack(const StoredCell& cell) {
        if ((count & kBlockMask) == 0)
            blocks.push_back(std::make_unique_for_overwrite<StoredCell[]>(kBlockMask + 1));
        blocks.back()[count & kBlockMask] = cell;
        ++count;
    }

private:
    static constexpr std::size_t kBlockShift = 16; // 65536 cells, 1 MiB a block
    static constexpr std::size_t kBlockMask = (std::size_t{1} << kBlockShift) - 1;

    std::vector<std::unique_ptr<StoredCell[]>> blocks;
    std::size_t count = 0;
};

} // namespace hz
