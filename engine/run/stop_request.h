#pragma once

namespace hz {

// A request to stop the import at the next row boundary, made from a signal handler or the window's close: the row or
// voucher in hand is finished or rolled back whole, and the run ends as interrupted. Safe to call from a signal
// handler.
void RequestStop();
bool StopRequested();
// Called as a run begins: a request belongs to the run it was made in.
void ClearStopRequest();

} // namespace hz
