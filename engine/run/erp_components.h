#pragma once

#include "engine/database/batch_dataset.h"
#include "engine/database/connection.h"
#include "engine/database/procedures/erp_procedures.h"
#include "engine/database/query.h"

namespace hz {

// The data components through which an import run works on the connection Con, under the names the window gave
// them. Each statement text is set where it is used. They live for one run and must not outlive Con.
struct ErpComponents {
    explicit ErpComponents(Connection& con)
        : Con(con), QMain(con), QDetail(con), QGongYong(con), QGetValue(con), QIA_Summary(con), QCommand(con),
          QStock(con), CGetId(MakeGetIdCall()) {}

    Connection& Con;
    BatchDataset QMain;   // master rows and voucher headers
    BatchDataset QDetail; // voucher lines
    Query QGongYong;      // the checks and lookups
    Query QGetValue;      // scalar queries
    Query QIA_Summary;    // cost prices
    Query QCommand;       // the ledger items of a posting
    Query QStock;         // a posting's stock before and after it, for the run journal
    // The id allocator: its @iFatherId and @iChildId keep what the run's last allocation returned, and the next
    // allocation sends them back as inputs.
    StoredProcedure CGetId;
};

} // namespace hz
