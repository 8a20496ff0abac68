/* A student's replacement-selection program, as the tests of --stress run
 * it: reads replacement_input.txt and writes its runs to
 * replacement_output.txt. Built as it should be, and once for each mistake
 * below, each a one-line change (tests/CMakeLists.txt):
 *   BUFFER=6            a buffer of 6 records
 *   FREEZE_EQUAL        a key equal to the last key written is frozen
 *   KEEP_LAST_KEY       the last key written is not reset when a run begins
 *   BUDGET=499          499 passes instead of 500
 *   CRASH_ON_ONE_KEY    a test case of one key writes through a null pointer
 *   LOOP_ON_EQUAL_KEYS  a key equal to the last one written loops for ever
 *   WRITE_NOTHING       no run file at all
 *   PRINT_RUNS          the runs printed, not written to the run file */
#include <stdio.h>
#include <stdlib.h>

#ifndef BUFFER
#define BUFFER 5
#endif
#ifndef BUDGET
#define BUDGET 500
#endif

typedef struct {
  int key, frozen, written;
} record;

static int* volatile nowhere = NULL;

static int find_min_record(const record* r, int n) {
  int min = 32768, found = -1;
  for (int i = 0; i < n; ++i) {
    if (!r[i].written && !r[i].frozen && r[i].key < min) {
      min = r[i].key;
      found = i;
    }
  }
  return found;
}

static int all_frozen(const record* r, int n) {
  int frozen = 0, empty = 0;
  for (int i = 0; i < n; ++i) {
    frozen += r[i].frozen;
    empty += !r[i].frozen && r[i].written;
  }
  return frozen > 0 && frozen == n - empty;
}

/* Writes the runs of `keys` to `out`: a count line, then a line per run. */
static void generate(const int* keys, int num_keys, FILE* out) {
  record buf[BUFFER] = {{0, 0, 0}};
  int size = num_keys < BUFFER ? num_keys : BUFFER, read = size, last = -1, runs = 1;
  int* run_of = malloc(sizeof(int) * (size_t)num_keys);
  int* written = malloc(sizeof(int) * (size_t)num_keys);
  int count = 0;
#ifdef CRASH_ON_ONE_KEY
  if (num_keys == 1) *nowhere = keys[0];
#endif
  for (int i = 0; i < size; ++i) buf[i] = (record){keys[i], 0, 0};
  for (int pass = 0; pass < BUDGET; ++pass) {
    int i = find_min_record(buf, size);
    if (i >= 0) {
#ifdef FREEZE_EQUAL
      if (buf[i].key <= last) {
#else
      if (buf[i].key < last) {
#endif
        buf[i].frozen = 1;
        continue;
      }
#ifdef LOOP_ON_EQUAL_KEYS
      if (count > 0 && buf[i].key == last)
        for (;;) {
        }
#endif
      run_of[count] = runs - 1;
      written[count++] = last = buf[i].key;
      buf[i].written = 1;
      if (read < num_keys) buf[i] = (record){keys[read++], 0, 0};
    } else if (all_frozen(buf, size)) {
      for (int j = 0; j < size; ++j)
        if (buf[j].frozen) buf[j].frozen = buf[j].written = 0;
      ++runs;
#ifndef KEEP_LAST_KEY
      last = -1;
#endif
    } else {
      break;
    }
  }
  fprintf(out, "%d\n", runs);
  for (int r = 0, k = 0; r < runs; ++r) {
    for (int first = 1; k < count && run_of[k] == r; ++k, first = 0)
      fprintf(out, first ? "%d" : " %d", written[k]);
    fputc('\n', out);
  }
  free(run_of);
  free(written);
}

int main(void) {
  FILE* in = fopen("replacement_input.txt", "r");
  int num_test_cases = 0, status = 0;
  if (in == NULL) return 1;
  if (fscanf(in, "%d", &num_test_cases) != 1) num_test_cases = 0;
#if defined(WRITE_NOTHING)
  FILE* out = NULL;
#elif defined(PRINT_RUNS)
  FILE* out = stdout;
#else
  FILE* out = fopen("replacement_output.txt", "w");
  if (out == NULL) status = 1;
#endif
  for (int t = 0; t < num_test_cases && status == 0; ++t) {
    int num_keys = 0;
    if (fscanf(in, "%d", &num_keys) != 1 || num_keys < 1) {
      status = 1;
      break;
    }
    int* keys = malloc(sizeof(int) * (size_t)num_keys);
    for (int i = 0; i < num_keys && status == 0; ++i)
      if (fscanf(in, "%d", &keys[i]) != 1) status = 1;
    if (out != NULL && status == 0) generate(keys, num_keys, out);
    free(keys);
  }
  fclose(in);
  if (out != NULL && out != stdout) fclose(out);
  return status;
}
