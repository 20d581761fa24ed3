#include <cerrno>
#include <csignal>
#include <cstring>
#include <new>

#include "analysis/run.h"
#include "recordio/unit.h"

int main() {
  // A console that went away (a closed pipe) and a file that reached the
  // size limit are refused writes like a full disk: the run reports them and
  // still closes outlier.out, instead of being killed with it half written.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  // Storage refused after the tables (a buffer, a line) ends the run like
  // storage refused for them, not with an abort.
  std::set_new_handler([] { recordio::storage_failure(std::strerror(ENOMEM)); });
  analysis::run();
}
