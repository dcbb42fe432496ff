/* Proves that this Wine can run i686 programs: a 32-bit program under a
   64-bit-only Wine fails to start while wine itself still exits 0. */
#include <stdio.h>

int main(void) {
  FILE* file = fopen("probe-ran.txt", "w");
  if (!file) return 1;
  fputs("ran\n", file);
  return fclose(file) == 0 ? 0 : 1;
}
