#pragma once

#include "app/snapshot/snapshot_request.h"

namespace clarivex {

class JobQueue;

// Fills the queue with the demonstration a snapshot shows, from the files it was given. A part
// of the demonstration whose file is missing is left out, never faked. Main thread.
namespace DemonstrationQueue {

// "running": every file queued; the first job at 46 % for 20 seconds, the third one done.
// "done": the first file as a finished job compared with the second file as its result.
// "empty": nothing.
void fill(JobQueue& queue, const SnapshotRequest& request);

} // namespace DemonstrationQueue

} // namespace clarivex
