/* C interface of the Kelvane component: register the server, create objects
 * by program identifier, build argument lists and call methods by name.
 *
 * Texts are UTF-8. Functions returning int answer 0 on success or an error
 * number (the same numbers as kelvane/status.h): KV_ERR_INVALID_CALL for a
 * null object, list, name or text; KV_ERR_SUBSCRIPT for an argument index or
 * element index out of range; KV_ERR_TYPE_MISMATCH when an argument is not
 * of the kind the function works on. Output pointers of kv_args_get_bounds
 * may be null; strings handed out are released with kv_free_string. No C++
 * exception crosses this interface. */
#ifndef KELVANE_KELVANE_C_H_
#define KELVANE_KELVANE_C_H_

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KV_OK 0
#define KV_ERR_INVALID_CALL 5
#define KV_ERR_OUT_OF_MEMORY 7
#define KV_ERR_SUBSCRIPT 9
#define KV_ERR_TYPE_MISMATCH 13
#define KV_ERR_FILE_NOT_FOUND 53
#define KV_ERR_OBJECT_CREATE 429
#define KV_ERR_NO_METHOD 438

typedef struct kv_object kv_object;
typedef struct kv_args kv_args;

/* Server: register / unregister the three classes; 1 when no object is
 * alive and no lock is held, else 0; take (lock != 0) or drop a server lock. */
int kv_register_server(void);
int kv_unregister_server(void);
int kv_can_unload_now(void);
void kv_lock_server(int lock);

/* Creates an object; NULL on failure with *err (when err is not NULL) set to
 * the error number, 0 on success. */
kv_object* kv_create(const char* progid, int* err);
void kv_release(kv_object* obj);

/* Receiver of the audits' warning message (text, caption); NULL clears it. */
typedef void (*kv_warning_fn)(const char* text, const char* caption, void* user);
int kv_set_warning_callback(kv_object* obj, kv_warning_fn fn, void* user);

/* Argument lists. Arguments are numbered from 0 in the order added. */
kv_args* kv_args_new(void);
void kv_args_free(kv_args* args);
int kv_args_count(const kv_args* args); /* -1 for NULL */
int kv_args_add_empty(kv_args* args);
int kv_args_add_string(kv_args* args, const char* text);
/* Arrays: rank 0 (not yet dimensioned), 1 (lb1..ub1) or 2 (lb1..ub1,
 * lb2..ub2); the second pair is ignored for rank 0 and 1. */
int kv_args_add_variant_array(kv_args* args, int rank, long lb1, long ub1, long lb2, long ub2);
int kv_args_add_string_array(kv_args* args, int rank, long lb1, long ub1, long lb2, long ub2);

/* Element (i) or (i, j) of an array argument; j is ignored for rank 1.
 * Variant elements are set as strings and read back as their text. */
int kv_args_set_element(kv_args* args, int arg, long i, long j, const char* text);
int kv_args_get_element(const kv_args* args, int arg, long i, long j, char** out);
/* Rank (0 when not dimensioned) and bounds of an array argument. */
int kv_args_get_bounds(const kv_args* args, int arg, int* rank, long* lb1, long* ub1, long* lb2,
                       long* ub2);
/* Text of a string (or scalar) argument, e.g. a by-reference string after a call. */
int kv_args_get_string(const kv_args* args, int arg, char** out);

/* Calls a method by name. *result (when result is not NULL) receives the
 * method's return text, or NULL for a procedure. errbuf (when not NULL and
 * errlen > 0) receives the error description, empty on success. */
int kv_invoke(kv_object* obj, const char* method, kv_args* args, char** result, char* errbuf,
              size_t errlen);

void kv_free_string(char* s);

#ifdef __cplusplus
}
#endif

#endif /* KELVANE_KELVANE_C_H_ */
