/* A plain C host: registers the server, creates objects by program
 * identifier and calls methods by name through the C interface. */
#include <stdio.h>
#include <string.h>

#include "kelvane/kelvane_c.h"

static int passed = 0, failed = 0;

#define CHECK(cond)                                                  \
  do {                                                               \
    if (cond) {                                                      \
      ++passed;                                                      \
    } else {                                                         \
      ++failed;                                                      \
      fprintf(stderr, "c_host: %s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
    }                                                                \
  } while (0)

static void wind(kv_object* a) {
  char err[256];
  char* result = NULL;
  kv_args* args = kv_args_new();
  CHECK(kv_args_add_string(args, "NNE") == KV_OK);
  CHECK(kv_args_add_string(args, "35") == KV_OK);
  CHECK(kv_invoke(a, "WindDToWindDValue", args, &result, err, sizeof err) == KV_OK);
  CHECK(result != NULL && strcmp(result, "23") == 0);
  kv_free_string(result);

  /* Wrong argument count: an error number and a description naming the method. */
  kv_args_add_string(args, "extra");
  CHECK(kv_invoke(a, "WindDToWindDValue", args, &result, err, sizeof err) == KV_ERR_INVALID_CALL);
  CHECK(result == NULL && strstr(err, "WindDToWindDValue") != NULL);
  CHECK(kv_invoke(a, "NoSuchMethod", args, NULL, err, sizeof err) == KV_ERR_NO_METHOD);
  kv_args_free(args);
}

static void r_check_missing_file(void) {
  char err[256];
  int rc = -1, rank = -1;
  long lb1, ub1, lb2, ub2;
  char* text = NULL;
  kv_object* r = kv_create("Kelvane.KelvaneR", &rc);
  kv_args* args = kv_args_new();
  CHECK(r != NULL && rc == KV_OK);
  kv_args_add_string(args, "/nonexistent/");
  kv_args_add_string(args, "/nonexistent/R12345-200901.TXT");
  kv_args_add_variant_array(args, 1, 1, 12, 0, 0);
  kv_args_add_string_array(args, 2, 1, 7, 0, 2);
  CHECK(kv_args_set_element(args, 2, 6, 0, "True") == KV_OK);
  CHECK(kv_args_set_element(args, 3, 1, 2, "old finding") == KV_OK);

  /* Nothing can be appended for a file that does not exist; the list is
   * cut back to its row 0 either way. */
  rc = kv_invoke(r, "RFileFormCheck", args, NULL, err, sizeof err);
  CHECK(rc == KV_OK || (rc == KV_ERR_FILE_NOT_FOUND && err[0] != '\0'));
  CHECK(kv_args_get_bounds(args, 3, &rank, &lb1, &ub1, &lb2, &ub2) == KV_OK);
  CHECK(rank == 2 && lb1 == 1 && ub1 == 7 && lb2 == 0 && ub2 == 0);
  CHECK(kv_args_get_element(args, 3, 1, 2, &text) == KV_ERR_SUBSCRIPT && text == NULL);

  /* Bad handles and indices give error numbers. */
  CHECK(kv_args_get_element(args, 9, 1, 0, &text) == KV_ERR_SUBSCRIPT);
  CHECK(kv_args_get_element(args, 0, 1, 0, &text) == KV_ERR_TYPE_MISMATCH);
  CHECK(kv_args_set_element(NULL, 3, 1, 0, "x") == KV_ERR_INVALID_CALL);
  CHECK(kv_invoke(NULL, "RFileFormCheck", args, NULL, err, sizeof err) == KV_ERR_INVALID_CALL);
  kv_args_free(args);
  kv_release(r);
}

int main(void) {
  int rc = -1;
  CHECK(kv_create("Kelvane.KelvaneA", &rc) == NULL && rc == KV_ERR_OBJECT_CREATE);
  CHECK(kv_register_server() == KV_OK);
  kv_object* a = kv_create("kelvane.kelvanea", &rc);
  CHECK(a != NULL && rc == KV_OK);
  if (a != NULL) {
    CHECK(kv_can_unload_now() == 0);
    wind(a);
    kv_release(a);
  }
  r_check_missing_file();
  CHECK(kv_can_unload_now() == 1);
  CHECK(kv_unregister_server() == KV_OK);
  CHECK(kv_create("Kelvane.KelvaneA", NULL) == NULL);
  printf("c_host: %d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
