// The built program, run as a user would: its exact bytes, and what it does when its input or
// output misbehaves, when standard output is a pipe, a file and a terminal.
//
// The same cases run against the Windows program: POLYEVAL_UNDER_TEST holds the command that runs
// it, such as "/usr/lib/wine/wine64 build-windows-x86_64/polyeval.exe", and a program whose name
// ends in .exe is expected to write CR LF line ends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The command that runs the program under test: POLYEVAL_UNDER_TEST split at spaces, or the
// program this build made.
std::vector<std::string> program_command() {
  const char* const under_test = std::getenv("POLYEVAL_UNDER_TEST");
  std::istringstream words(under_test != nullptr ? under_test : POLYEVAL_PROGRAM);
  std::vector<std::string> command;
  for (std::string word; words >> word;) command.push_back(word);
  return command;
}

bool is_windows_program() {
  const std::string program = program_command().back();
  return program.size() > 4 && program.compare(program.size() - 4, 4, ".exe") == 0;
}

// The line end the program writes: its C library's text mode turns each newline into CR LF on Windows.
std::string line_end() { return is_windows_program() ? "\r\n" : "\n"; }

// The four lines with newlines, as a terminal shows them.
std::string expected_text() {
  std::ifstream file(POLYEVAL_EXPECTED_OUTPUT, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The bytes the program writes into a pipe or file.
std::string expected_output() { return std::regex_replace(expected_text(), std::regex("\n"), line_end()); }

struct pipe_ends {
  int read = -1;
  int write = -1;
};

pipe_ends make_pipe() {
  int ends[2];
  EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
  return {ends[0], ends[1]};
}

// Starts the program with in and out as its standard input and output (-1: closed) and err as its
// standard error; extra_args follow the program name.
pid_t start_program(int in, int out, int err, const std::vector<std::string>& extra_args = {}) {
  std::signal(SIGPIPE, SIG_IGN);  // a writer here must see EPIPE, not die
  std::vector<std::string> args = program_command();
  args.insert(args.end(), extra_args.begin(), extra_args.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int wanted[3] = {in, out, err};
    int moved[3];
    for (int fd = 0; fd < 3; ++fd) moved[fd] = wanted[fd] < 0 ? -1 : fcntl(wanted[fd], F_DUPFD_CLOEXEC, 3);
    for (int fd = 0; fd < 3; ++fd) moved[fd] < 0 ? close(fd) : dup2(moved[fd], fd);
    std::signal(SIGPIPE, SIG_DFL);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// How long one run of the program may take: a first Wine start under emulation takes about a minute.
constexpr auto run_limit = std::chrono::seconds(150);

struct outcome {
  int status;  // the wait status; -1 if the program did not end within run_limit
  std::string out;
  std::string err;
};

// Describes how a run ended, for failure messages: the status and what the program wrote to stderr.
std::ostream& operator<<(std::ostream& stream, const outcome& result) {
  stream << "\n  the program ";
  if (result.status == -1) {
    stream << "did not end within " << run_limit.count() << " s and was killed";
  } else if (WIFSIGNALED(result.status)) {
    stream << "was killed by signal " << WTERMSIG(result.status);
  } else {
    stream << "exited with status " << WEXITSTATUS(result.status);
  }
  return stream << "; its stderr: \"" << result.err << "\"";
}

// Appends what can be read from fd now, without waiting (fd is non-blocking), up to its end.
void read_available(int fd, std::string& text) {
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
}

// Returns whether the process has ended, without reaping it.
bool has_ended(pid_t pid) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// Collects the program's output and error (fds -1: not captured) until it ends, then reaps it and
// closes both fds. The pipes are read to their end only once the program has gone: a helper it
// left behind (Wine's) may hold them open for longer. Past run_limit the program is killed.
outcome finish(pid_t pid, int out_fd, int err_fd) {
  outcome result{-1, "", ""};
  const int fds[2] = {out_fd, err_fd};
  std::string* const texts[2] = {&result.out, &result.err};
  for (const int fd : fds) {
    if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  const auto deadline = std::chrono::steady_clock::now() + run_limit;
  while (!has_ended(pid) && std::chrono::steady_clock::now() < deadline) {
    pollfd ready[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    poll(ready, 2, 20);
    for (int i = 0; i < 2; ++i) {
      if (fds[i] >= 0 && (ready[i].revents & POLLIN) != 0) read_available(fds[i], *texts[i]);
    }
  }
  const bool overdue = !has_ended(pid);
  if (overdue) kill(pid, SIGKILL);
  int status = -1;
  waitpid(pid, &status, 0);
  if (!overdue) result.status = status;
  for (int i = 0; i < 2; ++i) {
    if (fds[i] < 0) continue;
    read_available(fds[i], *texts[i]);
    close(fds[i]);
  }
  return result;
}

// Returns what a descriptor of a process refers to ("pipe:[123]", "/dev/pts/4"); "" if it has none.
std::string fd_target(const std::string& process, const std::string& fd) {
  char target[256];
  const ssize_t n = readlink(("/proc/" + process + "/fd/" + fd).c_str(), target, sizeof target);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// Returns whether the process's main thread is blocked in read() on the file of our descriptor
// input_end. The Windows program under Wine reads a copy of its standard input descriptor.
bool is_reading(pid_t pid, int input_end) {
  const std::string process = std::to_string(pid);
  std::ifstream file("/proc/" + process + "/syscall");
  std::string line;
  std::smatch fd;
  const std::regex reading("^" + std::to_string(SYS_read) + " 0x([0-9a-f]+) ");
  return std::getline(file, line) && std::regex_search(line, fd, reading) &&
         fd_target(process, std::to_string(std::stoul(fd[1], nullptr, 16))) ==
             fd_target("self", std::to_string(input_end));
}

// Waits until the process is blocked reading its standard input, whose other end is input_end;
// returns false if it ended first or was not reading within run_limit.
bool waits_for_input(pid_t pid, int input_end) {
  const auto deadline = std::chrono::steady_clock::now() + run_limit;
  while (!has_ended(pid) && std::chrono::steady_clock::now() < deadline) {
    if (is_reading(pid, input_end)) return true;
    usleep(5000);
  }
  return false;
}

// Runs the program with the given standard input and output (-1: closed) and closes them here, so
// that only the program holds them; when out_to_pipe is set, out is ignored and the output is
// captured. Standard error is always captured.
outcome run(int in, int out, bool out_to_pipe, const std::vector<std::string>& args = {}) {
  const pipe_ends out_pipe = out_to_pipe ? make_pipe() : pipe_ends{};
  const pipe_ends err_pipe = make_pipe();
  const pid_t pid = start_program(in, out_to_pipe ? out_pipe.write : out, err_pipe.write, args);
  for (const int fd : {in, out_to_pipe ? out_pipe.write : out, err_pipe.write}) {
    if (fd >= 0) close(fd);
  }
  return finish(pid, out_to_pipe ? out_pipe.read : -1, err_pipe.read);
}

outcome run_with_input(int in) { return run(in, -1, true); }

// One row of a table of standard inputs or outputs to run the program with.
struct named_fd {
  const char* name;
  int fd;  // -1: closed
};

TEST(Program, WritesExactlyTheFourLines) {
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const outcome result = run_with_input(in);
  EXPECT_EQ(result.out, expected_output()) << result;
  EXPECT_EQ(result.out.size(), is_windows_program() ? 144U : 136U);
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
}

TEST(Program, IgnoresArguments) {
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const outcome result = run(in, -1, true, {"--help", "-", "9478657"});
  EXPECT_EQ(result.out, expected_output()) << result;
  EXPECT_EQ(result.status, 0) << result;
}

// Each kind of standard input the wait must survive, with the output still complete.
TEST(Program, AnyInputEndsTheWaitWithStatusZero) {
  char binary_path[] = "/tmp/polyeval-binary-XXXXXX";
  const int binary = mkostemp(binary_path, O_CLOEXEC);
  const std::string noise("\0\r\x1a\xff no newline here \0", 21);
  ASSERT_EQ(write(binary, noise.data(), noise.size()), static_cast<ssize_t>(noise.size()));
  unlink(binary_path);
  const named_fd cases[] = {
      {"closed", -1},
      {"empty", open("/dev/null", O_RDONLY | O_CLOEXEC)},
      {"a directory, unreadable", open("/", O_RDONLY | O_CLOEXEC)},
      {"binary without a newline", open(("/proc/self/fd/" + std::to_string(binary)).c_str(), O_RDONLY | O_CLOEXEC)},
  };
  for (const named_fd& input : cases) {
    const outcome result = run_with_input(input.fd);
    EXPECT_EQ(result.out, expected_output()) << input.name << result;
    EXPECT_EQ(result.status, 0) << input.name << result;
    EXPECT_EQ(result.err, "") << input.name;
  }
  close(binary);
}

// A 200 MB line without a newline is consumed to its very end, in the program's fixed buffer.
TEST(Program, ConsumesAHugeLineWhole) {
  const pipe_ends in = make_pipe();
  const std::size_t total = 200U << 20;
  std::size_t written = 0;
  std::thread writer([&] {
    const std::string chunk(1 << 16, 'x');
    while (written < total) {
      const ssize_t n = write(in.write, chunk.data(), chunk.size());
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
    close(in.write);
  });
  const outcome result = run_with_input(in.read);
  writer.join();
  EXPECT_EQ(written, total) << "the program stopped reading before the end of the line" << result;
  EXPECT_EQ(result.out, expected_output()) << result;
  EXPECT_EQ(result.status, 0) << result;
}

// The wait ends at the first newline, not at the end of input: the pipe stays open here. The line
// is longer than a pipe holds, so a program that never reads leaves the writer blocked until the
// read end is closed.
TEST(Program, ReturnsAfterOneLineWithInputStillOpen) {
  const pipe_ends in = make_pipe();
  const std::string line = std::string(100000, 'y') + "\nsecond line";
  ssize_t written = 0;
  std::thread writer([&] { written = write(in.write, line.data(), line.size()); });
  const outcome result = run_with_input(in.read);
  writer.join();
  close(in.write);
  EXPECT_EQ(written, static_cast<ssize_t>(line.size())) << "the program returned before the end of its line" << result;
  EXPECT_EQ(result.out, expected_output()) << result;
  EXPECT_EQ(result.status, 0) << result;
}

// Output that cannot be written is reported once, on standard error, with status 1. A regular
// file is fully buffered, so a read-only one fails only at the final flush, after the input line.
// Each C library names the reasons in its own words; Wine's msvcrt sees a closed standard output
// as a descriptor it cannot write, and a pipe without reader as an invalid argument.
TEST(Program, OutputFailuresAreReported) {
  const pipe_ends gone = make_pipe();
  close(gone.read);  // a pipe whose reader has left
  char file_path[] = "/tmp/polyeval-read-only-XXXXXX";
  close(mkostemp(file_path, O_CLOEXEC));
  const int read_only = open(file_path, O_RDONLY | O_CLOEXEC);
  unlink(file_path);
  // clang-format off
  const struct {
    named_fd output;
    const char* reason;
    const char* windows_reason;
  } cases[] = {
      {{"closed",                           -1},                                      "Bad file descriptor",     "Bad file descriptor"},
      {{"full device",                      open("/dev/full", O_WRONLY | O_CLOEXEC)}, "No space left on device", "No space left on device"},
      {{"pipe without reader",              gone.write},                              "Broken pipe",             "Invalid argument"},
      {{"read-only file, fails at the end", read_only},                               "Bad file descriptor",     "Bad file descriptor"},
  };
  // clang-format on
  for (const auto& row : cases) {
    const pipe_ends in = make_pipe();
    ASSERT_EQ(write(in.write, "\n", 1), 1);
    close(in.write);
    const outcome result = run(in.read, row.output.fd, false);
    const std::string reason = is_windows_program() ? row.windows_reason : row.reason;
    EXPECT_EQ(result.status, 1 << 8) << row.output.name << result;
    EXPECT_EQ(result.err, "polyeval: write error: " + reason + line_end()) << row.output.name;
  }
}

// Returns whether anything has been written to the pipe or regular file that fd reads.
bool has_bytes(int fd) {
  struct stat status {};
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) return status.st_size > 0;
  pollfd ready{fd, POLLIN, 0};
  return poll(&ready, 1, 0) != 0;
}

// A pipe or a regular file is fully buffered: nothing reaches it while the program waits for its
// line, and everything after.
TEST(Program, PipeOrFileReceivesNothingBeforeTheInputLine) {
  char file_path[] = "/tmp/polyeval-output-XXXXXX";
  const int file = mkostemp(file_path, O_CLOEXEC);
  unlink(file_path);
  const pipe_ends pipe_out = make_pipe();
  const struct {
    const char* name;
    int write_end;
    int read_end;
  } cases[] = {
      {"pipe", pipe_out.write, pipe_out.read},
      {"regular file", file, open(("/proc/self/fd/" + std::to_string(file)).c_str(), O_RDONLY | O_CLOEXEC)},
  };
  for (const auto& output : cases) {
    const pipe_ends in = make_pipe();
    const pipe_ends err = make_pipe();
    const pid_t pid = start_program(in.read, output.write_end, err.write);
    close(in.read);
    close(output.write_end);
    close(err.write);
    const bool waited = waits_for_input(pid, in.write);
    EXPECT_TRUE(waited) << output.name << ": the program never waited for input";
    EXPECT_FALSE(waited && has_bytes(output.read_end)) << output.name << ": output arrived before the input line";
    (void)!write(in.write, "\n", 1);
    close(in.write);
    const outcome result = finish(pid, output.read_end, err.read);
    EXPECT_EQ(result.status, 0) << output.name << result;
    EXPECT_EQ(result.out, expected_output()) << output.name;
    EXPECT_EQ(result.err, "") << output.name;
  }
}

// Returns the named counter ("wchar", "syscw") of /proc/PID/io: bytes and calls of write().
long io_counter(pid_t pid, const std::string& name) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/io");
  std::string key;
  long value = -1;
  while (file >> key >> value) {
    if (key == name + ":") return value;
  }
  return -1;
}

// The null device is a character device, which the C library would buffer fully: the program
// writes each line out itself, all four before it waits.
TEST(Program, NullDeviceGetsEachLineBeforeTheWait) {
  const pipe_ends in = make_pipe();
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = start_program(in.read, null, null);
  close(in.read);
  close(null);
  EXPECT_TRUE(waits_for_input(pid, in.write)) << "the program never waited for input";
  EXPECT_EQ(io_counter(pid, "wchar"), 136);
  EXPECT_EQ(io_counter(pid, "syscw"), 4) << "one write per line";
  close(in.write);
  const outcome result = finish(pid, -1, -1);
  EXPECT_EQ(result.status, 0) << result;
}

// Returns what the terminal shows as text: control sequences (Wine's console hides and shows the
// cursor around each write) and carriage returns removed.
std::string screen_text(const std::string& received) {
  return std::regex_replace(received, std::regex("\x1b\\[[0-9;?]*[A-Za-z]|\r"), "");
}

// On a terminal every line is on the screen while the program still waits for its line, and
// Enter then ends it. (Under Wine a console process serves the terminal for the program.)
TEST(Program, TerminalShowsAllLinesBeforeWaiting) {
  int terminal = -1;
  int device = -1;
  ASSERT_EQ(openpty(&terminal, &device, nullptr, nullptr, nullptr), 0);
  fcntl(terminal, F_SETFD, FD_CLOEXEC);  // the program must not hold the terminal's other end
  const pipe_ends err = make_pipe();
  const pid_t pid = start_program(device, device, err.write);
  close(device);
  close(err.write);
  const std::string expected = expected_text();
  std::string received;
  char buffer[512];
  pollfd ready{terminal, POLLIN, 0};
  for (int tries = 0; screen_text(received) != expected && tries < 1200 && poll(&ready, 1, 100) >= 0; ++tries) {
    if ((ready.revents & POLLIN) == 0) continue;
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n <= 0) break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(screen_text(received), expected);
  EXPECT_FALSE(has_ended(pid)) << "the program ended before its line was entered";
  // Enter, until the program ends: Wine's console drops keys typed before the program asks for
  // its line, and the lines show before that.
  for (int tries = 0; tries < 600 && !has_ended(pid) && write(terminal, "\r", 1) == 1; ++tries) usleep(200000);
  const outcome result = finish(pid, -1, err.read);
  EXPECT_EQ(result.status, 0) << result;
  EXPECT_EQ(result.err, "");
  close(terminal);
}

}  // namespace
