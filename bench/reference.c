/* A measuring stick for bench/run.sh, not part of the program: the same
 * behaviour written plainly in C with the standard library's formatted
 * reads and prints (fscanf, fgets, atoi, printf), one fixed-size block of
 * runs per test case allocated up front, and the five-slot buffer searched
 * slot by slot. Its output matches runcheck's on well-formed files; on odd
 * input (numbers beyond 32 bits, carriage returns) it does whatever the C
 * library does. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { buffer_size = 5, max_runs = 500, max_run_keys = 500, line_size = 2000 };

typedef struct {
  int key;
  unsigned char frozen;
  unsigned char written;
} record;

typedef struct {
  int run_count;
  int run_length[max_runs];
  int run_keys[max_runs][max_run_keys];
} run_set;

static char read_str[line_size];
static int numbers[line_size];

static int find_min_record(const record* r, int n) {
  int min = 32768, result = -1;
  for (int i = 0; i < n; ++i) {
    if (!r[i].written && !r[i].frozen && r[i].key < min) {
      min = r[i].key;
      result = i;
    }
  }
  return result;
}

static int all_frozen(const record* r, int n) {
  int frozen = 0, empty = 0;
  for (int i = 0; i < n; ++i) {
    if (r[i].frozen)
      ++frozen;
    else if (r[i].written)
      ++empty;
  }
  return frozen > 0 && frozen == n - empty;
}

static void melt_records(record* r, int n) {
  for (int i = 0; i < n; ++i) {
    if (r[i].frozen) r[i].frozen = r[i].written = 0;
  }
}

/* One line into read_str, cut at spaces, each piece through atoi. At the end
 * of the file there is no number. */
static int read_numbers(FILE* f) {
  if (fgets(read_str, line_size, f) == NULL) return 0;
  int count = 0;
  for (char* token = strtok(read_str, " "); token != NULL; token = strtok(NULL, " "))
    numbers[count++] = atoi(token);
  return count;
}

static void generate_runs(const int* keys, int num_keys, record* buf, run_set* set) {
  int size = num_keys < buffer_size ? num_keys : buffer_size;
  for (int i = 0; i < size; ++i) {
    buf[i].key = keys[i];
    buf[i].frozen = buf[i].written = 0;
  }
  int read_count = size, write_count = 0, last_key = -1;
  set->run_count = 1;
  for (int pass = 0; pass < 500; ++pass) {
    int i = find_min_record(buf, size);
    if (i >= 0) {
      if (buf[i].key < last_key) {
        buf[i].frozen = 1;
        continue;
      }
      int r = set->run_count - 1;
      set->run_keys[r][set->run_length[r]++] = buf[i].key;
      ++write_count;
      buf[i].written = 1;
      last_key = buf[i].key;
      if (read_count < num_keys) {
        buf[i].key = keys[read_count++];
        buf[i].frozen = buf[i].written = 0;
      }
    } else if (all_frozen(buf, size)) {
      printf("All freezed. Let's melt frezzed records.\n");
      melt_records(buf, size);
      set->run_length[set->run_count++] = 0;
      last_key = -1;
    } else {
      printf("No min record exists. Finished. (r:%d, w:%d)\n", read_count, write_count);
      break;
    }
  }
}

static void list_runs(const run_set* table, int num_test_cases) {
  for (int t = 0; t < num_test_cases; ++t) {
    printf("%d\n", table[t].run_count);
    for (int r = 0; r < table[t].run_count; ++r) {
      for (int k = 0; k < table[t].run_length[r]; ++k)
        printf(k + 1 < table[t].run_length[r] ? "%d " : "%d", table[t].run_keys[r][k]);
      printf("\n");
    }
  }
}

static void check(FILE* f, const run_set* table, int num_test_cases) {
  int passed = 0;
  for (int t = 0; t < num_test_cases; ++t) {
    int pass = 1, num_runs = 0;
    printf("Testing test case %d.........\n", t + 1);
    if (fscanf(f, "%d\n", &num_runs) != 1) num_runs = 0;
    if (num_runs != table[t].run_count) {
      printf("The number of runs in test case %d is wrong.\n", t + 1);
      pass = 0;
    }
    for (int r = 0; r < num_runs; ++r) {
      if (r >= table[t].run_count) {
        int c = getc(f);
        if (c == EOF) break;
        ungetc(c, f);
      }
      int count = read_numbers(f);
      int length = r < table[t].run_count ? table[t].run_length[r] : 0;
      for (int p = 0; p < length; ++p) {
        if (p >= count || numbers[p] != table[t].run_keys[r][p]) {
          printf("run %d is wrong\n", r);
          pass = 0;
          break;
        }
      }
    }
    printf(pass ? "....PASSED\n" : "....FAILED\n");
    passed += pass;
  }
  printf("================================================\n");
  printf(passed == num_test_cases ? "Your File PASS the TEST\n" : "Your File CANNOT PASS the TEST\n");
}

static void run(void) {
  const char* input_name = "replacement_input.txt";
  const char* run_name = "replacement_output.txt";
  printf("Input file name: \"%s\", buffer_size: %d\n", input_name, buffer_size);
  record* buf = malloc(buffer_size * sizeof *buf);
  FILE* in = fopen(input_name, "r");
  if (in == NULL) {
    printf("Input File Open failed. FILE \"%s\" does NOT EXIST.\n", input_name);
    return;
  }
  int num_test_cases = 0;
  if (fscanf(in, "%d\n", &num_test_cases) != 1) num_test_cases = 0;
  if (num_test_cases < 0) {
    printf("num_test_cases is less than 0.\n");
    return;
  }
  run_set* table = calloc((size_t)num_test_cases, sizeof *table);
  if (table == NULL && num_test_cases > 0) {
    printf("Not enough memory for %d test cases.\n", num_test_cases);
    return;
  }
  int* keys = NULL;
  for (int t = 0; t < num_test_cases; ++t) {
    for (int i = 0; i < buffer_size; ++i) buf[i] = (record){0, 1, 1};
    int num_keys = 0;
    if (fscanf(in, "%d\n", &num_keys) != 1) num_keys = 0;
    if (num_keys < 1) {
      printf("num_keys is less than 1 at test case %d.", t + 1);
      return;
    }
    int count = read_numbers(in);
    if (count < num_keys) {
      printf("num_keys is %d but the key line holds only %d at test case %d.\n", num_keys, count,
             t + 1);
      return;
    }
    keys = realloc(keys, (size_t)num_keys * sizeof *keys);
    memcpy(keys, numbers, (size_t)num_keys * sizeof *keys);
    generate_runs(keys, num_keys, buf, &table[t]);
  }
  fclose(in);
  printf("=========================> finished\n");
  printf("=========================> Output File should be..\n");
  list_runs(table, num_test_cases);
  printf("<===============================================\n\n\n");
  printf("=========================> Test\n");
  printf("Open Output file name for Test: \"%s\"\n", run_name);
  FILE* runs = fopen(run_name, "r");
  if (runs == NULL) {
    printf("Test File Open failed. FILE \"%s\" does NOT EXIST.\n", run_name);
    printf("Your File CANNOT PASS the TEST\n");
    return;
  }
  check(runs, table, num_test_cases);
  printf("<===============================================\n");
}

int main(void) {
  run();
  printf("Press Enter Any Key to Finish.");
  fflush(stdout);
  getchar();
  return 0;
}
