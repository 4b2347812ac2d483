// Transfers: goods moved from a sending warehouse and department to a receiving one, one voucher per run of rows
// with one key, into TransVouch and TransVouchs. The key stays the voucher's number; nothing is posted to stock.
// Every line is priced at the sending warehouse's cost price; a failed voucher goes to the error area.
#include "importers/vouchers/transfer_sheet.h"

#include "importers/vouchers/voucher_pieces.h"
#include "importers/vouchers/voucher_sheet.h"

namespace hz {

namespace {

using namespace voucher;

// Key B; every code of the first row checked against its name. Each line is priced in its own row's sending
// warehouse (L), while the header keeps the first row's.
VoucherSheet Transfer() {
    return {.caption = QStringLiteral("调拨单"),
            .keyColumn = Col('B'),
            .reads = Reads("ACDEFGHIJKLMNOPQS", 'A', "S"),
            .firstRowChecks = {CodeAndName("Department", "cDepCode", "cDepName", 'D', 'C', "转入部门"),
                               CodeAndName("Department", "cDepCode", "cDepName", 'F', 'E', "转出部门"),
                               CodeAndName("Rd_Style", "cRdCode", "cRdname", 'H', 'G', "入库类别"),
                               CodeAndName("Rd_Style", "cRdCode", "cRdname", 'J', 'I', "出库类别"),
                               CodeAndName("Warehouse", "cWhCode", "cWhName", 'L', 'K', "转出仓库"),
                               CodeAndName("Warehouse", "cWhCode", "cWhName", 'N', 'M', "转入仓库"), Item('P', 'Q')},
            .continuingRowChecks = {ItemExists('P')},
            .header = {Cell("cTVCode", 'B'), Cell("cOWhCode", 'L'), Cell("cIWhCode", 'N'), Cell("dTVDate", 'A'),
                       Cell("cORdCode", 'J'), Cell("cIRdCode", 'H'), Cell("cODepCode", 'F'), Cell("cIDepCode", 'D'),
                       Cell("cMaker", 'O'), Whole("iNetLock", 0), Zero("cDefine7"), Whole("VT_ID", 89),
                       Zero("cDefine16")},
            .detail = {Cell("cTVCode", 'B'), Cell("cinvcode", 'P'), Cell("iTVNum", 'S'), Cell("iTVQuantity", 'S'),
                       CostPrice("iTVACost", kCostPlaces), CostAmount("iTVAPrice", 'S', kAmountPlaces),
                       Zero("fSaleCost"), Zero("fSalePrice"), Zero("cDefine26"), Zero("cDefine27")},
            .target = &kTransferVouchers,
            .failed = FailedVoucher::GoesToErrorArea,
            .pricing = CostPricing{.itemColumn = Col('P'), .warehouseColumn = Col('L')}};
}

} // namespace

void AddTransferSheet(ImporterRegistry& registry) {
    AddVoucherSheet(registry, Transfer());
}

} // namespace hz
