#include "analysis/run.h"

#include "recordio/unit.h"

namespace analysis {

void run() { recordio::stop(); }

}  // namespace analysis
