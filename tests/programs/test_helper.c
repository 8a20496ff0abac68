/* A program for the tests of running programs (process_test.cpp): it does
 * what its arguments say.
 *   exit N         ends with exit status N
 *   crash          writes through a null pointer
 *   loop           runs until it is ended
 *   print N        prints N bytes to standard output
 *   write NAME N   writes N bytes to the file NAME, from its own folder
 *   complain TEXT  prints TEXT to standard error, then ends with status 3
 *   cat            copies standard input to standard output
 *   spawn FILE exit|loop
 *                  starts a copy of itself that appends a byte to FILE every
 *                  few milliseconds for ever, then ends or runs until ended
 *   beat FILE      what that copy does */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <process.h>
#include <windows.h>
#define pause_briefly() Sleep(5)
#else
#include <time.h>
#include <unistd.h>
static void pause_briefly(void) {
  struct timespec t = {0, 5000000};
  nanosleep(&t, NULL);
}
#endif

static int* volatile nowhere = NULL;
static volatile int forever = 1;

static void beat(const char* file) {
  for (;;) {
    FILE* f = fopen(file, "ab");
    if (f != NULL) {
      fputc('.', f);
      fclose(f);
    }
    pause_briefly();
  }
}

int main(int argc, char** argv) {
  const char* what = argc > 1 ? argv[1] : "";
  if (strcmp(what, "exit") == 0 && argc > 2) return atoi(argv[2]);
  if (strcmp(what, "crash") == 0) {
    *nowhere = 1;
    return 0;
  }
  if (strcmp(what, "loop") == 0) {
    while (forever) {
    }
    return 0;
  }
  if (strcmp(what, "print") == 0 && argc > 2) {
    for (long i = atol(argv[2]); i > 0; --i) putchar('x');
    return 0;
  }
  if (strcmp(what, "write") == 0 && argc > 3) {
    FILE* f = fopen(argv[2], "wb");
    if (f == NULL) return 1;
    for (long i = atol(argv[3]); i > 0; --i) fputc('x', f);
    return fclose(f) == 0 ? 0 : 1;
  }
  if (strcmp(what, "complain") == 0 && argc > 2) {
    fputs(argv[2], stderr);
    return 3;
  }
  if (strcmp(what, "cat") == 0) {
    for (int c = getchar(); c != EOF; c = getchar()) putchar(c);
    return 0;
  }
  if (strcmp(what, "beat") == 0 && argc > 2) beat(argv[2]);
  if (strcmp(what, "spawn") == 0 && argc > 3) {
#ifdef _WIN32
    if (_spawnl(_P_NOWAIT, argv[0], argv[0], "beat", argv[2], (char*)NULL) == -1) return 1;
#else
    pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) beat(argv[2]);
#endif
    if (strcmp(argv[3], "loop") == 0) {
      while (forever) {
      }
    }
    return 0;
  }
  fprintf(stderr, "test_helper: what is %s?\n", what);
  return 2;
}
