#pragma once

namespace hz {

struct ImportRunContext;

// The error area of a sheet whose failed vouchers are copied below the data. Starting at the start row, finds
// the first of two consecutive rows with an empty keyColumn (passing over the data and any earlier error area),
// writes "Error:" into keyColumn of the second, and sets errorAreaRow to the row below it. Done at every import
// of the sheet. Throws RunError when the worksheet has no room left below. A check writes nothing.
void MarkErrorArea(ImportRunContext& context, int keyColumn);

// A resumed run: copies the vouchers of the kind that an earlier run set aside and never saved into the workbook
// (journaledSetAsides) into the error area just marked, in sheet order, and counts each as left out. One that the
// workbook's error area already holds (its save landed, the journal was not told) is not copied twice.
void CopyJournaledSetAsides(ImportRunContext& context, int keyColumn);

// Marks the error-area rows from firstRow to errorAreaRow (exclusive) as a voucher that is in the database,
// saved but not posted, so that nobody imports them again. A check writes nothing.
void MarkSavedUnposted(ImportRunContext& context, int firstRow);

} // namespace hz
