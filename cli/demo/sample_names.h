#pragma once

#include <span>
#include <string>

namespace hz::cli {

// The codes and names of the sample workbook's records. A record's index counts from 0 within its worksheet;
// rows is the number of records of every worksheet, from which serial codes take their width, so that codes
// stay unique however many rows are asked for. Texts are UTF-8.

using Words = std::span<const char* const>;

// Names and serial codes of one kind of record. The name of index is first[index % A] + second[(index / A) % B]
// (A and B the sizes of the lists), then, from the second round through all pairs on, the round's number and
// roundSuffix, then tail: unique as long as no two pairs of words spell the same text.
struct RecordNaming {
    int minCodeWidth;
    Words first;
    Words second;
    const char* roundSuffix;
    const char* tail;
};

// index + 1 in decimal, zero-padded to the naming's width or to the width of rows, whichever is wider.
std::string Code(const RecordNaming& naming, int index, int rows);
std::string Name(const RecordNaming& naming, int index);

extern const RecordNaming kDepartments;
extern const RecordNaming kPersons;
extern const RecordNaming kUnitGroups;
extern const RecordNaming kUnits;
extern const RecordNaming kVendors;
extern const RecordNaming kCustomers;
extern const RecordNaming kWarehouses;
extern const RecordNaming kInventory;

// A partner's contact person, as free text ("王经理").
std::string ContactName(int index);

// A class tree of the 2-3-4 coding scheme, parents before their children: first the top classes (codes 01,
// 02, ...), then children of 5 bytes spread over the tops in turn, and once those are all taken, children of
// 9 bytes under them. Enough codes for millions of rows.
struct ClassTree {
    Words tops;               // at most 99
    const char* secondSuffix; // "华东" has children "华东1区", "华东2区", ...
    const char* thirdSuffix;  // "华东1区" has children "华东1区1片", ...
};

std::string ClassCode(const ClassTree& tree, int index);
std::string ClassName(const ClassTree& tree, int index);

extern const ClassTree kCustomerClasses;
extern const ClassTree kVendorClasses;
extern const ClassTree kInventoryClasses;
extern const ClassTree kDistricts;

// The receive/issue categories: "1" for receipts and "2" for issues, then their children in turn ("101",
// "201", "102", ...), the children's serials as wide as rows needs.
std::string CategoryCode(int index, int rows);
std::string CategoryName(int index);
// 1 for a receipt category, 0 for an issue category.
int CategoryFlag(int index);

// The categories that the vouchers name, as indexes for CategoryCode and CategoryName, by the place of their
// words: receipts 0 "采购入库", 1 "产成品入库", 2 "其他入库", 3 "调拨入库"; issues 0 "销售出库", 1 "材料出库",
// 2 "其他出库", 3 "调拨出库". A sheet of fewer rows lacks them, and has the top category of their kind only
// ("入库类别" or "出库类别"); a sheet of one row has "入库类别" alone, which then serves the issues too.
int ReceiptCategory(int word, int rows);
int IssueCategory(int word, int rows);

// The key of the voucher of index on a voucher sheet: index + 1 in decimal, at least four digits wide, so that
// it never equals a number the ERP gives a stock voucher (nine digits).
std::string VoucherKey(int index, int rows);

} // namespace hz::cli
