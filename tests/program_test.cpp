// The built program, run as a user would: its exact bytes, and what it does when its input or
// output misbehaves, when standard output is a pipe and when it is a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string expected_output() {
  std::ifstream file(POLYEVAL_EXPECTED_OUTPUT, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

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
  std::vector<std::string> args{POLYEVAL_PROGRAM};
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

// Reads fd to its end and closes it.
std::string read_all(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  close(fd);
  return text;
}

// Returns the program's wait status.
int wait_for(pid_t pid) {
  int status = -1;
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  return status;
}

// Waits until the process is blocked reading its standard input.
void wait_until_reading_stdin(pid_t pid) {
  const std::string reading = std::to_string(SYS_read) + " 0x0 ";
  const std::string path = "/proc/" + std::to_string(pid) + "/syscall";
  for (int tries = 0; tries < 6000; ++tries) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    if (line.rfind(reading, 0) == 0) return;
    usleep(5000);
  }
  FAIL() << "the program never waited for input";
}

struct outcome {
  int status;
  std::string out;
  std::string err;
};

// Runs the program with the given standard input and output (-1: closed); when out_to_pipe is
// set, out is ignored and the output is captured. Standard error is always captured.
outcome run(int in, int out, bool out_to_pipe, const std::vector<std::string>& args = {}) {
  const pipe_ends out_pipe = out_to_pipe ? make_pipe() : pipe_ends{};
  const pipe_ends err_pipe = make_pipe();
  const pid_t pid = start_program(in, out_to_pipe ? out_pipe.write : out, err_pipe.write, args);
  if (out_to_pipe) close(out_pipe.write);
  close(err_pipe.write);
  outcome result{};
  if (out_to_pipe) result.out = read_all(out_pipe.read);
  result.err = read_all(err_pipe.read);
  result.status = wait_for(pid);
  return result;
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
  close(in);
  EXPECT_EQ(result.out, expected_output());
  EXPECT_EQ(result.out.size(), 136U);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
}

TEST(Program, IgnoresArguments) {
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const outcome result = run(in, -1, true, {"--help", "-", "9478657"});
  close(in);
  EXPECT_EQ(result.out, expected_output());
  EXPECT_EQ(result.status, 0);
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
    EXPECT_EQ(result.out, expected_output()) << input.name;
    EXPECT_EQ(result.status, 0) << input.name;
    EXPECT_EQ(result.err, "") << input.name;
    if (input.fd >= 0) close(input.fd);
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
  close(in.read);
  writer.join();
  EXPECT_EQ(written, total) << "the program stopped reading before the end of the line";
  EXPECT_EQ(result.out, expected_output());
  EXPECT_EQ(result.status, 0);
}

// The wait ends at the first newline, not at the end of input: the pipe stays open here.
TEST(Program, ReturnsAfterOneLineWithInputStillOpen) {
  const pipe_ends in = make_pipe();
  const std::string line = std::string(100000, 'y') + "\nsecond line";
  std::thread writer([&] { (void)!write(in.write, line.data(), line.size()); });
  const outcome result = run_with_input(in.read);
  writer.join();
  close(in.read);
  close(in.write);
  EXPECT_EQ(result.out, expected_output());
  EXPECT_EQ(result.status, 0);
}

// Output that cannot be written is reported once, on standard error, with status 1. A regular
// file is fully buffered, so a read-only one fails only at the final flush, after the input line.
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
  } cases[] = {
      {{"closed",                           -1},                                   "Bad file descriptor"},
      {{"full device",                      open("/dev/full", O_WRONLY | O_CLOEXEC)}, "No space left on device"},
      {{"pipe without reader",              gone.write},                           "Broken pipe"},
      {{"read-only file, fails at the end", read_only},                            "Bad file descriptor"},
  };
  // clang-format on
  for (const auto& row : cases) {
    const pipe_ends in = make_pipe();
    ASSERT_EQ(write(in.write, "\n", 1), 1);
    close(in.write);
    const outcome result = run(in.read, row.output.fd, false);
    close(in.read);
    EXPECT_EQ(result.status, 1 << 8) << row.output.name << (WIFSIGNALED(result.status) ? ": killed by a signal" : "");
    EXPECT_EQ(result.err, std::string("polyeval: write error: ") + row.reason + "\n") << row.output.name;
    if (row.output.fd >= 0) close(row.output.fd);
  }
}

// A pipe is fully buffered: nothing reaches it while the program waits for its line.
TEST(Program, PipeReceivesNothingBeforeTheInputLine) {
  const pipe_ends in = make_pipe();
  const pipe_ends out = make_pipe();
  const pipe_ends err = make_pipe();
  const pid_t pid = start_program(in.read, out.write, err.write);
  close(in.read);
  close(out.write);
  close(err.write);
  wait_until_reading_stdin(pid);
  pollfd ready{out.read, POLLIN, 0};
  EXPECT_EQ(poll(&ready, 1, 0), 0) << "output arrived before the input line";
  ASSERT_EQ(write(in.write, "\n", 1), 1);
  close(in.write);
  EXPECT_EQ(read_all(out.read), expected_output());
  EXPECT_EQ(read_all(err.read), "");
  EXPECT_EQ(wait_for(pid), 0);
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
  wait_until_reading_stdin(pid);
  EXPECT_EQ(io_counter(pid, "wchar"), 136);
  EXPECT_EQ(io_counter(pid, "syscw"), 4) << "one write per line";
  close(in.write);
  EXPECT_EQ(wait_for(pid), 0);
}

// On a terminal every line is on the screen before the program waits; the terminal shows each
// newline as carriage return and line feed.
TEST(Program, TerminalShowsAllLinesBeforeWaiting) {
  int terminal = -1;
  int device = -1;
  ASSERT_EQ(openpty(&terminal, &device, nullptr, nullptr, nullptr), 0);
  const pipe_ends err = make_pipe();
  const pid_t pid = start_program(device, device, err.write);
  close(device);
  close(err.write);
  wait_until_reading_stdin(pid);
  std::string screen;
  char buffer[512];
  pollfd ready{terminal, POLLIN, 0};
  while (poll(&ready, 1, 0) == 1) {
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n <= 0) break;
    screen.append(buffer, static_cast<std::size_t>(n));
  }
  std::string expected;
  for (const char c : expected_output()) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(screen, expected);
  ASSERT_EQ(write(terminal, "\n", 1), 1);
  EXPECT_EQ(wait_for(pid), 0);
  EXPECT_EQ(read_all(err.read), "");
  close(terminal);
}

}  // namespace
