#include "engine/database/embedded_erp/erp_schema.h"

namespace hz {

// The voucher types of the stock vouchers: the importers write the receipt and issue codes directly and find
// the other receipt's and other issue's codes by name (the business type followed by "单"). Connections take
// their spid from 51 on, above the numbers SQL Server keeps for its own processes.
const char* const kErpReferenceRows = R"sql(
INSERT INTO VouchType (cVouchType, cVouchName) VALUES
    ('01', '采购入库单'),
    ('08', '其他入库单'),
    ('09', '其他出库单'),
    ('10', '产成品入库单'),
    ('11', '材料出库单'),
    ('12', '调拨单'),
    ('32', '销售出库单'),
    ('34', '期初库存单');

INSERT INTO PurchaseType (cPTCode, cPTName) VALUES
    ('01', '普通采购'),
    ('02', '直运采购'),
    ('03', '受托代销');

INSERT INTO hz_SpidCounter (Id, iLastSpid) VALUES (1, 50);
)sql";

} // namespace hz
