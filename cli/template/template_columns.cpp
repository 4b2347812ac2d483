#include "cli/template/template_columns.h"

#include "engine/run/sheet_kinds.h"

#include <array>

namespace hz::cli {

namespace {

struct KindColumns {
    QStringView caption;
    std::span<const TemplateColumn> columns;
};

constexpr TemplateColumn ClassColumns[] = {{2, u"分类编码"}, {3, u"分类名称"}};
constexpr TemplateColumn DepartmentColumns[] = {{2, u"部门编码"},  {3, u"部门名称"}, {6, u"部门属性"},
                                                {7, u"电话"},      {8, u"地址"},     {10, u"信用额度"},
                                                {11, u"信用等级"}, {12, u"信用天数"}};
constexpr TemplateColumn PersonColumns[] = {{2, u"职员编码"}, {3, u"职员名称"}, {4, u"部门名称"},
                                            {5, u"职员属性"}, {6, u"电子邮件"}, {7, u"电话"},
                                            {8, u"信用额度"}, {9, u"信用天数"}, {10, u"信用等级"}};
constexpr TemplateColumn ReceiveIssueStyleColumns[] = {
    {2, u"类别编码"}, {3, u"类别名称"}, {4, u"收发标志（1 收，0 发）"}};
constexpr TemplateColumn UnitGroupColumns[] = {
    {1, u"计量单位组编码"}, {2, u"计量单位组名称"}, {3, u"换算类别（无换算、固定换算、浮动换算）"}};
constexpr TemplateColumn UnitColumns[] = {{2, u"计量单位编码"},   {3, u"计量单位名称"}, {4, u"计量单位组编码"},
                                          {5, u"计量单位组名称"}, {7, u"条形码"},       {8, u"主计量单位（True 为是）"},
                                          {9, u"换算率"}};
constexpr TemplateColumn PartnerColumns[] = {{2, u"编码"},           {3, u"名称"},         {4, u"地区名称"},
                                             {5, u"发展日期"},       {6, u"电话"},         {7, u"联系人"},
                                             {8, u"专管业务员名称"}, {9, u"分管部门名称"}, {10, u"分类编码"}};
constexpr TemplateColumn WarehouseColumns[] = {{2, u"仓库名称"},
                                               {3, u"仓库编码"},
                                               {4, u"部门名称"},
                                               {5, u"部门编码"},
                                               {6, u"计价方式"},
                                               {7, u"货位管理（TRUE 为是）"},
                                               {8, u"条形码"},
                                               {9, u"参与 MRP 运算（TRUE 为是）"},
                                               {10, u"参与 ROP 计算（TRUE 为是）"}};
constexpr TemplateColumn InventoryColumns[] = {
    {2, u"存货编码"},        {3, u"存货名称"},          {4, u"规格型号（存货分类名称）"}, {5, u"税率"},
    {6, u"启用日期"},        {7, u"计量单位组名称"},    {8, u"计量单位组编码"},           {9, u"主计量单位名称"},
    {10, u"主计量单位编码"}, {11, u"销售属性（销售）"}, {12, u"采购属性（外购）"}};
constexpr TemplateColumn OpeningStockColumns[] = {
    {2, u"仓库名称"}, {3, u"仓库编码"}, {4, u"存货编码"}, {5, u"存货名称"},  {7, u"数量"},
    {8, u"单价"},     {9, u"金额"},     {10, u"日期"},    {11, u"部门编码"}, {12, u"部门名称"}};
constexpr TemplateColumn PurchaseReceiptColumns[] = {
    {1, u"仓库名称"},  {2, u"仓库编码"}, {3, u"入库单号"}, {4, u"入库日期"},  {5, u"供应商名称"}, {6, u"供应商编码"},
    {7, u"部门名称"},  {8, u"部门编码"}, {9, u"采购类型"}, {10, u"收发类别"}, {11, u"制单人"},    {14, u"存货编码"},
    {15, u"存货名称"}, {17, u"数量"},    {18, u"单价"},    {19, u"金额"}};
constexpr TemplateColumn ProductReceiptColumns[] = {
    {2, u"仓库名称"}, {3, u"入库日期"}, {4, u"入库单号"}, {5, u"部门名称"},  {6, u"收发类别"},
    {7, u"生产批号"}, {8, u"备注"},     {9, u"制单人"},   {12, u"存货编码"}, {13, u"存货名称"},
    {16, u"数量"},    {17, u"单价"},    {18, u"金额"}};
constexpr TemplateColumn OtherReceiptColumns[] = {
    {2, u"业务类型"}, {4, u"仓库名称"}, {5, u"入库日期"},  {6, u"入库单号"},  {7, u"收发类别"},
    {8, u"部门名称"}, {10, u"制单人"},  {13, u"存货编码"}, {14, u"存货名称"}, {17, u"数量"},
    {18, u"单价"},    {19, u"金额"},    {20, u"明细备注"}};
constexpr TemplateColumn TransferColumns[] = {
    {1, u"调拨日期"},      {2, u"调拨单号"},      {3, u"转入部门名称"},  {4, u"转入部门编码"},  {5, u"转出部门名称"},
    {6, u"转出部门编码"},  {7, u"入库类别名称"},  {8, u"入库类别编码"},  {9, u"出库类别名称"},  {10, u"出库类别编码"},
    {11, u"转出仓库名称"}, {12, u"转出仓库编码"}, {13, u"转入仓库名称"}, {14, u"转入仓库编码"}, {15, u"制单人"},
    {16, u"存货编码"},     {17, u"存货名称"},     {19, u"数量"}};
constexpr TemplateColumn SalesDeliveryColumns[] = {
    {1, u"出库单号"},  {2, u"出库日期"},  {3, u"仓库名称"},  {4, u"仓库编码"},  {6, u"收发类别"},
    {8, u"部门名称"},  {9, u"部门编码"},  {10, u"客户名称"}, {11, u"客户编码"}, {12, u"制单人"},
    {15, u"存货编码"}, {16, u"存货名称"}, {19, u"数量"}};
constexpr TemplateColumn MaterialIssueColumns[] = {{2, u"仓库名称"}, {3, u"出库日期"}, {4, u"出库单号"},
                                                   {5, u"部门名称"}, {7, u"存货编码"}, {8, u"存货名称"},
                                                   {11, u"数量"},    {12, u"单价"},    {13, u"金额"}};
constexpr TemplateColumn OtherIssueColumns[] = {
    {2, u"业务类型"}, {4, u"仓库名称"},  {5, u"出库日期"},  {6, u"出库单号"}, {7, u"收发类别"}, {8, u"部门名称"},
    {10, u"制单人"},  {13, u"存货编码"}, {14, u"存货名称"}, {17, u"数量"},    {18, u"单价"},    {19, u"金额"}};

constexpr std::array<KindColumns, 21> Layouts{{
    {u"客户分类", ClassColumns},
    {u"供应商分类", ClassColumns},
    {u"存货分类", ClassColumns},
    {u"地区分类", ClassColumns},
    {u"部门", DepartmentColumns},
    {u"员工", PersonColumns},
    {u"收发类别", ReceiveIssueStyleColumns},
    {u"计量单位组", UnitGroupColumns},
    {u"计量单位", UnitColumns},
    {u"供应商档案", PartnerColumns},
    {u"客户档案", PartnerColumns},
    {u"仓库档案", WarehouseColumns},
    {u"存货档案", InventoryColumns},
    {u"存货期初", OpeningStockColumns},
    {u"采购入库单", PurchaseReceiptColumns},
    {u"产成品入库单", ProductReceiptColumns},
    {u"其他入库单", OtherReceiptColumns},
    {u"调拨单", TransferColumns},
    {u"销售出库单", SalesDeliveryColumns},
    {u"材料出库单", MaterialIssueColumns},
    {u"其他出库单", OtherIssueColumns},
}};

} // namespace

std::span<const TemplateColumn> TemplateColumns(const SheetKind& kind) {
    for (const KindColumns& layout : Layouts) {
        if (layout.caption == kind.caption) {
            return layout.columns;
        }
    }
    Q_ASSERT(false);
    return {};
}

} // namespace hz::cli
