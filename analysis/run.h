#pragma once

namespace analysis {

// The whole run, from the tables to the final stop. It never returns.
[[noreturn]] void run();

}  // namespace analysis
