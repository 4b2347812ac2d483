#include "cli/demo/sample_rows.h"

#include "cli/demo/sample_names.h"
#include "cli/demo/sample_voucher_rows.h"

namespace hz::cli {

namespace {

constexpr const char* kGroupKinds[] = {"无换算", "固定换算", "浮动换算"};
constexpr const char* kValuationStyles[] = {"移动平均法", "全月平均法", "先进先出法"};

template <std::size_t size> const char* InTurn(const char* const (&words)[size], int index) {
    return words[static_cast<std::size_t>(index) % size];
}

// A day of 2024: development dates of partners, start dates of items.
QDate SampleDate(int index) {
    return QDate(2024, 1, 1).addDays(index % 366);
}

template <const ClassTree& tree> void WriteClass(SampleRow& row, int index, int) {
    row.Text(2, ClassCode(tree, index));
    row.Text(3, ClassName(tree, index));
}

void WriteDepartment(SampleRow& row, int index, int rows) {
    row.Text(2, Code(kDepartments, index, rows));
    row.Text(3, Name(kDepartments, index));
    row.Text(6, "业务");
    row.Text(7, "0571-" + std::to_string(86000000 + index));
    row.Text(8, "杭州市文三路" + std::to_string(index + 1) + "号");
    row.Number(10, 500000);
    row.Text(11, "A");
    row.Number(12, 30);
}

void WritePerson(SampleRow& row, int index, int rows) {
    const std::string code = Code(kPersons, index, rows);
    row.Text(2, code);
    row.Text(3, Name(kPersons, index));
    row.Text(4, Name(kDepartments, index));
    row.Text(5, "在职");
    row.Text(6, "p" + code + "@example.com");
    row.Text(7, "139" + std::to_string(10000000 + index));
    row.Number(8, 50000);
    row.Number(9, 30);
    row.Text(10, "B");
}

void WriteCategory(SampleRow& row, int index, int rows) {
    row.Text(2, CategoryCode(index, rows));
    row.Text(3, CategoryName(index));
    row.Number(4, CategoryFlag(index));
}

void WriteUnitGroup(SampleRow& row, int index, int rows) {
    row.Text(1, Code(kUnitGroups, index, rows));
    row.Text(2, Name(kUnitGroups, index));
    row.Text(3, InTurn(kGroupKinds, index));
}

void WriteUnit(SampleRow& row, int index, int rows) {
    row.Text(2, Code(kUnits, index, rows));
    row.Text(3, Name(kUnits, index));
    row.Text(4, Code(kUnitGroups, index, rows));
    row.Text(5, Name(kUnitGroups, index));
    row.Text(8, "True");
    row.Number(9, 1);
}

// Vendors and customers share their layout.
template <const RecordNaming& partners, const ClassTree& classes>
void WritePartner(SampleRow& row, int index, int rows) {
    row.Text(2, Code(partners, index, rows));
    row.Text(3, Name(partners, index));
    row.Text(4, ClassName(kDistricts, index));
    row.Date(5, SampleDate(index));
    row.Text(6, "021-" + std::to_string(64000000 + index));
    row.Text(7, ContactName(index));
    row.Text(8, Name(kPersons, index));
    row.Text(9, Name(kDepartments, index));
    row.Text(10, ClassCode(classes, index));
}

void WriteWarehouse(SampleRow& row, int index, int rows) {
    row.Text(2, Name(kWarehouses, index));
    row.Text(3, Code(kWarehouses, index, rows));
    row.Text(4, Name(kDepartments, index));
    row.Text(5, Code(kDepartments, index, rows));
    row.Text(6, InTurn(kValuationStyles, index));
    row.Text(7, "FALSE");
    row.Text(9, "FALSE");
    row.Text(10, "FALSE");
}

void WriteItem(SampleRow& row, int index, int rows) {
    row.Text(2, Code(kInventory, index, rows));
    row.Text(3, Name(kInventory, index));
    row.Text(4, ClassName(kInventoryClasses, index));
    row.Number(5, 13);
    row.Date(6, SampleDate(index));
    row.Text(7, Name(kUnitGroups, index));
    row.Text(8, Code(kUnitGroups, index, rows));
    row.Text(9, Name(kUnits, index));
    row.Text(10, Code(kUnits, index, rows));
    row.Text(11, "销售");
    row.Text(12, "外购");
}

// A master-data writer as a sheet's fill: one row per record.
template <void (*write)(SampleRow&, int, int)> void PerRecord(SampleRow& row, SampleLine at, int rows) {
    write(row, at.index, rows);
}

constexpr SampleSheet kSheets[] = {
    {u"客户分类", false, PerRecord<WriteClass<kCustomerClasses>>, nullptr},
    {u"供应商分类", false, PerRecord<WriteClass<kVendorClasses>>, nullptr},
    {u"存货分类", false, PerRecord<WriteClass<kInventoryClasses>>, nullptr},
    {u"地区分类", false, PerRecord<WriteClass<kDistricts>>, nullptr},
    {u"部门", false, PerRecord<WriteDepartment>, nullptr},
    {u"员工", false, PerRecord<WritePerson>, nullptr},
    {u"收发类别", false, PerRecord<WriteCategory>, nullptr},
    {u"计量单位组", false, PerRecord<WriteUnitGroup>, nullptr},
    {u"计量单位", false, PerRecord<WriteUnit>, nullptr},
    {u"供应商档案", false, PerRecord<WritePartner<kVendors, kVendorClasses>>, nullptr},
    {u"客户档案", false, PerRecord<WritePartner<kCustomers, kCustomerClasses>>, nullptr},
    {u"仓库档案", false, PerRecord<WriteWarehouse>, nullptr},
    {u"存货档案", false, PerRecord<WriteItem>, nullptr},
    {u"存货期初", false, WriteOpeningStock, nullptr},
    {u"采购入库单", true, WritePurchaseReceipt, nullptr},
    {u"产成品入库单", true, WriteProductReceipt, nullptr},
    {u"其他入库单", true, WriteOtherReceipt, nullptr},
    {u"调拨单", true, WriteTransfer, TransferCostPricePair},
    {u"销售出库单", true, WriteSalesDelivery, SalesCostPricePair},
    {u"材料出库单", true, WriteMaterialIssue, nullptr},
    {u"其他出库单", true, WriteOtherIssue, nullptr},
};

} // namespace

std::span<const SampleSheet> SampleSheets() {
    return kSheets;
}

} // namespace hz::cli
