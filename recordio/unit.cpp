#include "recordio/unit.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "recordio/free_input.h"

namespace recordio {

namespace {

constexpr std::size_t kBufferSize = 16384;  // the stream buffer of every unit

std::map<int, std::unique_ptr<Unit>>& connections() {
  static std::map<int, std::unique_ptr<Unit>> table;
  return table;
}

// The statement in progress, named by a failure report. Every record read is
// a statement, so beginning one only notes where it stands; the source name
// is worked out when a report needs it.
struct Statement {
  bool active = false;
  const char* source = "";
  unsigned line = 0;
  Unit* unit = nullptr;
  bool is_open = false;
  std::string open_name;
};
Statement current;

Unit& connect_console(int number, int fd, Action action) {
  auto u = std::make_unique<Unit>();
  u->number = number;
  u->fd = fd;
  u->action = action;
  u->write_through = ::isatty(fd) == 1;
  Unit& ref = *u;
  connections()[number] = std::move(u);
  return ref;
}

// Writes all of `data`; returns the error number of a refused write, or 0.
int write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t done = ::write(fd, data, size);
    if (done < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += done;
    size -= static_cast<std::size_t>(done);
  }
  return 0;
}

// Hands the unit's pending bytes to the system; a refused write ends the run.
void write_out(Unit& u) {
  if (u.pending.empty()) return;
  int err = write_all(u.fd, u.pending.data(), u.pending.size());
  u.pending.clear();
  if (err != 0) runtime_error(std::strerror(err));
}

void message(std::string_view text) {
  write_all(STDERR_FILENO, text.data(), text.size());
}

// Closes every unit, writing out what is pending. Used by every end of the
// run; a failure while the run is already being reported is not reported again.
void close_all(bool report_failures) {
  auto& table = connections();
  while (!table.empty()) {
    auto it = table.begin();
    std::unique_ptr<Unit> u = std::move(it->second);
    table.erase(it);
    if (!u->pending.empty()) {
      int err = write_all(u->fd, u->pending.data(), u->pending.size());
      u->pending.clear();
      if (err != 0 && report_failures) {
        current = Statement{};
        runtime_error(std::strerror(err));
      }
    }
    if (u->fd > STDERR_FILENO) ::close(u->fd);
  }
}

std::string trimmed(std::string_view name) {
  std::size_t n = name.size();
  while (n > 0 && name[n - 1] == ' ') --n;
  return std::string(name.substr(0, n));
}

// The access mode that the file's permissions allow; for a file that does
// not exist yet, its directory's.
Action decide_action(const std::string& name) {
  std::string probe = name;
  if (::access(name.c_str(), F_OK) != 0) {
    std::size_t slash = name.rfind('/');
    if (slash == std::string::npos) probe.assign(1, '.');
    else if (slash == 0) probe.assign(1, '/');
    else probe.resize(slash);
  }
  bool can_read = ::access(probe.c_str(), R_OK) == 0;
  bool can_write = ::access(probe.c_str(), W_OK) == 0;
  if (can_read && !can_write) return Action::read;
  if (can_write && !can_read) return Action::write;
  return Action::read_write;
}

// A standard stream that was closed when the run began stays closed: a file
// given its number would receive the console's lines, or be read as the
// console, instead of the statement on it failing with the system's text.
int above_standard_streams(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  int saved = errno;
  ::close(fd);
  errno = saved;
  return moved;
}

int open_flags(Action action) {
  switch (action) {
    case Action::read: return O_RDONLY;
    case Action::write: return O_WRONLY;
    case Action::read_write: return O_RDWR;
  }
  return O_RDWR;
}

}  // namespace

std::string_view source_name(const char* file) {
  std::string_view path(file);
  for (std::string_view top : {"analysis/", "recordio/", "tests/"}) {
    std::size_t at = path.rfind(top);
    if (at != std::string_view::npos && (at == 0 || path[at - 1] == '/'))
      return path.substr(at);
  }
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

Unit& unit(int number) {
  auto& table = connections();
  auto it = table.find(number);
  if (it != table.end()) return *it->second;
  switch (number) {
    case kConsoleInput: return connect_console(number, STDIN_FILENO, Action::read);
    case kConsoleOutput: return connect_console(number, STDOUT_FILENO, Action::write);
    case kErrorOutput: return connect_console(number, STDERR_FILENO, Action::write);
  }
  runtime_error("Unit " + std::to_string(number) + " is not connected");
}

void open_unit(int number, std::string_view name, OpenStatus status,
               std::source_location where) {
  std::string file = trimmed(name);
  current = Statement{true, where.file_name(), where.line(), nullptr, true, file};
  close_unit(number, where);
  Action action = decide_action(file);
  int flags = open_flags(action) | O_CLOEXEC;
  if (status == OpenStatus::replace) flags |= O_CREAT | O_TRUNC;
  int fd = file.empty() ? (errno = ENOENT, -1)
                        : above_standard_streams(::open(file.c_str(), flags, 0666));
  if (fd < 0) runtime_error(std::strerror(errno));
  auto u = std::make_unique<Unit>();
  u->number = number;
  u->fd = fd;
  u->file_name = file;
  u->action = action;
  u->write_through = ::isatty(fd) == 1;
  connections()[number] = std::move(u);
  end_statement();
}

void close_unit(int number, std::source_location where) {
  auto& table = connections();
  auto it = table.find(number);
  if (it == table.end()) return;
  bool was_active = current.active;
  if (!was_active) begin_statement(*it->second, where);
  write_out(*it->second);
  if (it->second->fd > STDERR_FILENO) ::close(it->second->fd);
  // The statement outlives the unit it closes.
  if (current.unit == it->second.get()) current.unit = nullptr;
  table.erase(it);
  if (!was_active) end_statement();
}

void begin_statement(Unit& u, std::source_location where) {
  current.active = true;
  current.source = where.file_name();
  current.line = where.line();
  current.unit = &u;
  current.is_open = false;
}

void end_statement() {
  if (current.unit != nullptr && current.unit->write_through)
    write_out(*current.unit);
  current.active = false;
  current.unit = nullptr;
  current.is_open = false;
}

void put_output(Unit& u, std::string_view text) {
  if (u.action == Action::read)
    runtime_error("Cannot write to file opened for READ");
  if (u.pending.size() + text.size() > kBufferSize) write_out(u);
  if (text.size() > kBufferSize) {
    // A single write larger than the buffer goes out by itself.
    u.pending.assign(text);
    write_out(u);
    return;
  }
  u.pending.append(text);
}

InputSource& input_of(Unit& u) {
  if (!u.input) u.input = std::make_unique<InputSource>(u.fd);
  return *u.input;
}

void pause(std::string_view text) {
  message("PAUSE ");
  message(text);
  message(" statement executed.  Hit Return to continue\n");
  ListRead wait(input_of(unit(kConsoleInput)));
  if (wait.finish() != ReadStatus::ok) runtime_error("End of file");
}

void stop() {
  close_all(true);
  std::exit(0);
}

void stop(std::string_view text) {
  message("STOP ");
  message(text);
  message("\n");
  stop();
}

void runtime_error(std::string_view text) {
  if (current.active) {
    std::string line = "At line " + std::to_string(current.line) + " of file " +
                       std::string(source_name(current.source));
    if (current.is_open) {
      line += " file: \"" + current.open_name + "\"";
    } else if (current.unit != nullptr) {
      line += " (Unit " + std::to_string(current.unit->number);
      if (!current.unit->file_name.empty())
        line += " \"" + current.unit->file_name + "\"";
      line += ")";
    }
    message(line + "\n");
  }
  current = Statement{};
  message("No call trace available.\n");
  close_all(false);
  message("Run-time error: ");
  message(text);
  message("\n");
  std::exit(2);
}

void storage_failure(std::string_view system_text) {
  close_all(false);
  message("No call trace available.\n");
  message("Operating system error: ");
  message(system_text);
  message("\nMemory allocation failed\n");
  std::exit(1);
}

}  // namespace recordio
