#include "engine/run/sheet_kinds.h"

#include <array>

namespace hz {
namespace {

constexpr std::array<SheetKind, 21> Kinds{{
    // caption, check box, edit box, screen row, error area
    {u"客户分类", 16, 20, 1},        {u"供应商分类", 17, 19, 2}, {u"存货分类", 18, 18, 3},
    {u"地区分类", 19, 17, 4},        {u"部门", 14, 14, 6},       {u"员工", 15, 13, 7},
    {u"收发类别", 8, 9, 5},          {u"计量单位组", 20, 22, 8}, {u"计量单位", 21, 21, 9},
    {u"供应商档案", 9, 10, 10},      {u"客户档案", 10, 11, 11},  {u"仓库档案", 11, 12, 12},
    {u"存货档案", 12, 16, 13},       {u"存货期初", 13, 15, 14},  {u"采购入库单", 1, 1, 15},
    {u"产成品入库单", 2, 2, 16},     {u"其他入库单", 3, 3, 17},  {u"调拨单", 4, 4, 18, true},
    {u"销售出库单", 5, 7, 19, true}, {u"材料出库单", 6, 6, 20},  {u"其他出库单", 7, 5, 21},
}};

} // namespace

std::span<const SheetKind> SheetKinds() {
    return Kinds;
}

int SelectionOrder(const SheetKind& kind) {
    Q_ASSERT(&kind >= Kinds.data() && &kind < Kinds.data() + Kinds.size());
    return static_cast<int>(&kind - Kinds.data()) + 1;
}

const SheetKind* FindSheetKind(QStringView caption) {
    for (const SheetKind& kind : Kinds) {
        if (kind.caption == caption) {
            return &kind;
        }
    }
    return nullptr;
}

QString CheckBoxName(const SheetKind& kind) {
    return QStringLiteral("CheckBox%1").arg(kind.checkBoxNumber);
}

QString EditName(const SheetKind& kind) {
    return QStringLiteral("Edit%1").arg(kind.editNumber);
}

} // namespace hz
