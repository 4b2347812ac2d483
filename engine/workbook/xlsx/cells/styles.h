#pragma once

#include "engine/workbook/number_format.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace hz {

class ZipPackage;

// The cell styles (cellXfs) of a workbook, as far as reading values needs them: which show dates.
class Styles {
public:
    // Whether a number in a cell of this style stands for a date or time. Numbers below zero are never dates:
    // Excel shows them as "####". An unknown style is not a date.
    bool ShowsDate(std::uint32_t style, double value) const;
    // The first style that shows positive numbers as dates, if the workbook has one.
    std::optional<std::uint32_t> DateStyle() const;

private:
    friend Styles ReadStyles(ZipPackage& package, std::string_view partName);
    std::vector<DateFormatUse> byStyle;
};

// Reads the styles part; an empty part name gives a workbook without styles.
Styles ReadStyles(ZipPackage& package, std::string_view partName);

} // namespace hz
