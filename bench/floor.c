/* The cost floor for a run of polyeval: a static C program that writes the same bytes with the same
 * output policy (each line written out at once to a character device, fully buffered otherwise)
 * and waits for a line the same way, then closes its output and checks it, but computes nothing:
 * its text is precomputed. */
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

static const char* const lines[] = {
    "Ergebnis Single: -2.918262e+042\n\n",
    "Ergebnis Double: -2.177807e+040\n\n",
    "Ergebnis Extended: -2.177807e+040\n\n",
    "Ergebnis Extended2: 0.000000e+000\n\n",
};

int main(void) {
  struct stat status;
  char line[32];
  signal(SIGPIPE, SIG_IGN);
  if (fstat(fileno(stdout), &status) == 0 && S_ISCHR(status.st_mode)) setvbuf(stdout, NULL, _IONBF, 0);
  for (int i = 0; i < 4; ++i) fwrite(lines[i], 1, strlen(lines[i]), stdout);
  for (;;) {
    line[sizeof line - 1] = 'x';
    if (fgets(line, sizeof line, stdin) == NULL) break;
    if (line[sizeof line - 1] != '\0' || line[sizeof line - 2] == '\n') break;
  }
  const int failed = ferror(stdout);
  return fclose(stdout) != 0 || failed ? 1 : 0;
}
