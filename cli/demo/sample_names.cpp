#include "cli/demo/sample_names.h"

#include <algorithm>

namespace hz::cli {

namespace {

int Digits(int value) {
    int digits = 1;
    for (; value >= 10; value /= 10) {
        ++digits;
    }
    return digits;
}

std::string Padded(int value, int width) {
    std::string text = std::to_string(value);
    text.insert(0, static_cast<std::size_t>(std::max(0, width - static_cast<int>(text.size()))), '0');
    return text;
}

int Size(Words words) {
    return static_cast<int>(words.size());
}

constexpr const char* kNoWord[] = {""};

constexpr const char* kDepartmentWords[] = {"总经理办公室", "财务部", "采购部",     "销售部", "仓储部",
                                            "生产部",       "质检部", "人力资源部", "研发部", "行政部"};
constexpr const char* kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                     "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗"};
constexpr const char* kGivenNames[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊",   "军", "洋",
                                       "勇", "艳", "杰", "娟", "涛", "明", "超", "秀英", "华", "平"};
// Groups and units side by side: the unit of index is the main unit of the group of the same index.
constexpr const char* kGroupWords[] = {"数量", "重量", "长度", "面积", "体积", "包装", "时间"};
constexpr const char* kUnitWords[] = {"个", "千克", "米", "平方米", "立方米", "箱", "小时"};
constexpr const char* kCities[] = {"北京", "上海", "广州", "深圳", "天津", "重庆",
                                   "杭州", "南京", "苏州", "武汉", "成都", "西安"};
constexpr const char* kVendorWords[] = {"宏达机械", "华鑫钢材", "永信化工", "恒通包装",
                                        "金源电子", "瑞丰塑胶", "鼎盛五金", "长江物流"};
constexpr const char* kCustomerWords[] = {"利民商贸", "万家百货", "新世纪超市", "东方贸易",
                                          "联华实业", "佳美电器", "同创科技",   "海天食品"};
constexpr const char* kWarehouseWords[] = {"原料仓库", "成品仓库", "半成品仓库", "辅料仓库",
                                           "包材仓库", "备件仓库", "退货仓库"};
constexpr const char* kInventoryWords[] = {"钢板", "螺栓",   "轴承",   "电机",   "齿轮",
                                           "铜线", "润滑油", "密封圈", "包装箱", "塑料粒子"};
constexpr const char* kModelWords[] = {"A型", "B型", "C型"};
constexpr const char* kReceiptWords[] = {"采购入库", "产成品入库", "其他入库", "调拨入库", "盘盈入库"};
constexpr const char* kIssueWords[] = {"销售出库", "材料出库", "其他出库", "调拨出库", "盘亏出库"};

constexpr const char* kCustomerClassWords[] = {"批发客户", "零售客户", "工业客户", "外贸客户", "政府机构"};
constexpr const char* kVendorClassWords[] = {"原料供应商", "设备供应商", "包装供应商", "外协加工商", "服务供应商"};
constexpr const char* kInventoryClassWords[] = {"原材料", "半成品", "产成品", "包装物", "低值易耗品"};
constexpr const char* kDistrictWords[] = {"华北", "东北", "华东", "华中", "华南", "西南", "西北"};

const RecordNaming kReceiptCategories{0, kReceiptWords, kNoWord, "", ""};
const RecordNaming kIssueCategories{0, kIssueWords, kNoWord, "", ""};

// The second level's serials take 3 bytes, the third level's 4.
constexpr int kSecondLevelSerials = 999;

// The n-th class of the second level (0-based): under the tops in turn.
std::string SecondCode(const ClassTree& tree, int n) {
    return Padded(n % Size(tree.tops) + 1, 2) + Padded(n / Size(tree.tops) + 1, 3);
}

std::string SecondName(const ClassTree& tree, int n) {
    return tree.tops[n % Size(tree.tops)] + std::to_string(n / Size(tree.tops) + 1) + tree.secondSuffix;
}

} // namespace

std::string Code(const RecordNaming& naming, int index, int rows) {
    return Padded(index + 1, std::max(naming.minCodeWidth, Digits(rows)));
}

std::string Name(const RecordNaming& naming, int index) {
    const int first = Size(naming.first);
    const int pairs = first * Size(naming.second);
    std::string name = naming.first[index % first];
    name += naming.second[index / first % Size(naming.second)];
    if (const int round = index / pairs; round > 0) {
        name += std::to_string(round + 1);
        name += naming.roundSuffix;
    }
    return name + naming.tail;
}

const RecordNaming kDepartments{2, kDepartmentWords, kNoWord, "组", ""};
const RecordNaming kPersons{4, kSurnames, kGivenNames, "", ""};
const RecordNaming kUnitGroups{2, kGroupWords, kNoWord, "", "组"};
const RecordNaming kUnits{3, kUnitWords, kNoWord, "", ""};
const RecordNaming kVendors{4, kCities, kVendorWords, "", "有限公司"};
const RecordNaming kCustomers{4, kCities, kCustomerWords, "", "有限公司"};
const RecordNaming kWarehouses{2, kWarehouseWords, kNoWord, "号", ""};
const RecordNaming kInventory{5, kInventoryWords, kModelWords, "号", ""};

std::string ContactName(int index) {
    return std::string(kSurnames[index % Size(kSurnames)]) + "经理";
}

std::string ClassCode(const ClassTree& tree, int index) {
    const int tops = Size(tree.tops);
    if (index < tops) {
        return Padded(index + 1, 2);
    }
    const int seconds = tops * kSecondLevelSerials;
    if (const int n = index - tops; n < seconds) {
        return SecondCode(tree, n);
    }
    const int n = index - tops - seconds;
    return SecondCode(tree, n % seconds) + Padded(n / seconds + 1, 4);
}

std::string ClassName(const ClassTree& tree, int index) {
    const int tops = Size(tree.tops);
    if (index < tops) {
        return tree.tops[index];
    }
    const int seconds = tops * kSecondLevelSerials;
    if (const int n = index - tops; n < seconds) {
        return SecondName(tree, n);
    }
    const int n = index - tops - seconds;
    return SecondName(tree, n % seconds) + std::to_string(n / seconds + 1) + tree.thirdSuffix;
}

const ClassTree kCustomerClasses{kCustomerClassWords, "类", "组"};
const ClassTree kVendorClasses{kVendorClassWords, "类", "组"};
const ClassTree kInventoryClasses{kInventoryClassWords, "类", "组"};
const ClassTree kDistricts{kDistrictWords, "区", "片"};

std::string CategoryCode(int index, int rows) {
    if (index < 2) {
        return std::to_string(index + 1);
    }
    const int child = index - 2;
    const int childrenOfEach = (rows - 1) / 2;
    return std::to_string(child % 2 + 1) + Padded(child / 2 + 1, std::max(2, Digits(childrenOfEach)));
}

std::string CategoryName(int index) {
    if (index < 2) {
        return index == 0 ? "入库类别" : "出库类别";
    }
    const int child = index - 2;
    return Name(child % 2 == 0 ? kReceiptCategories : kIssueCategories, child / 2);
}

int CategoryFlag(int index) {
    return index % 2 == 0 ? 1 : 0;
}

int ReceiptCategory(int word, int rows) {
    const int index = 2 + 2 * word;
    return index < rows ? index : 0;
}

int IssueCategory(int word, int rows) {
    const int index = 3 + 2 * word;
    return index < rows ? index : std::min(1, rows - 1);
}

std::string VoucherKey(int index, int rows) {
    return Padded(index + 1, std::max(4, Digits(rows)));
}

} // namespace hz::cli
