// What every rank but 0 does: computes the chunks rank 0 hands out, from the problem and the
// state rank 0 sent, until rank 0 ends the run.
#pragma once

#include "cli/mpi/Communicator.h"

namespace vantrel {

// threads computes each chunk (0: the machine's cores).
void ServeRoot(Communicator& comm, int threads);

} // namespace vantrel
