// The C interface: thin wrappers over the registry and Dispatch that check
// every pointer and index and keep exceptions on this side.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "kelvane/automation.h"
#include "kelvane/kelvane_c.h"

using kelvane::Status;
using kelvane::StringArray;
using kelvane::SubscriptError;
using kelvane::Variant;
using kelvane::VariantArray;
using kelvane::automation::Dispatch;
using kelvane::automation::Registry;
using kelvane::automation::Value;

struct kv_object {
  std::unique_ptr<Dispatch> obj;
};

struct kv_args {
  std::vector<Value> values;
};

namespace {

// Runs fn, mapping anything it throws to an error number.
template <class Fn>
int Guard(Fn&& fn) noexcept {
  try {
    return fn();
  } catch (const SubscriptError&) {
    return KV_ERR_SUBSCRIPT;
  } catch (const std::bad_alloc&) {
    return KV_ERR_OUT_OF_MEMORY;
  } catch (...) {
    return kelvane::kErrInternal;
  }
}

int CopyOut(const std::string& s, char** out) {
  char* p = static_cast<char*>(std::malloc(s.size() + 1));
  if (p == nullptr) return KV_ERR_OUT_OF_MEMORY;
  std::memcpy(p, s.data(), s.size());
  p[s.size()] = '\0';
  *out = p;
  return KV_OK;
}

void WriteError(const std::string& msg, char* errbuf, size_t errlen) {
  if (errbuf == nullptr || errlen == 0) return;
  size_t n = msg.size() < errlen - 1 ? msg.size() : errlen - 1;
  std::memcpy(errbuf, msg.data(), n);
  errbuf[n] = '\0';
}

template <class Args>
auto ArgAt(Args* args, int arg) -> decltype(&args->values[0]) {
  if (args == nullptr || arg < 0 || static_cast<size_t>(arg) >= args->values.size()) return nullptr;
  return &args->values[static_cast<size_t>(arg)];
}

template <class T>
int AddArray(kv_args* args, int rank, long lb1, long ub1, long lb2, long ub2) {
  if (args == nullptr) return KV_ERR_INVALID_CALL;
  if (rank < 0 || rank > 2) return KV_ERR_INVALID_CALL;
  return Guard([&] {
    kelvane::SafeArray<T> a;
    if (rank == 1) a.ReDim(lb1, ub1);
    if (rank == 2) a.ReDim(lb1, ub1, lb2, ub2);
    args->values.emplace_back(std::move(a));
    return KV_OK;
  });
}

// Element (i) or (i, j) of an array, by rank; null when out of range.
template <class A>
auto Element(A& a, long i, long j) {
  return a.Rank() == 2 ? a.Find(i, j) : a.Find(i);
}

template <class T>
int Bounds(const kelvane::SafeArray<T>& a, int* rank, long* lb1, long* ub1, long* lb2,
           long* ub2) {
  const int r = a.Rank();
  if (rank) *rank = r;
  if (lb1) *lb1 = r >= 1 ? a.LBound(1) : 0;
  if (ub1) *ub1 = r >= 1 ? a.UBound(1) : -1;
  if (lb2) *lb2 = r == 2 ? a.LBound(2) : 0;
  if (ub2) *ub2 = r == 2 ? a.UBound(2) : -1;
  return KV_OK;
}

}  // namespace

extern "C" {

int kv_register_server(void) {
  return Guard([] { return kelvane::server::DllRegisterServer().number(); });
}

int kv_unregister_server(void) {
  return Guard([] { return kelvane::server::DllUnregisterServer().number(); });
}

int kv_can_unload_now(void) { return kelvane::server::DllCanUnloadNow() ? 1 : 0; }

void kv_lock_server(int lock) { Registry::Instance().LockServer(lock != 0); }

kv_object* kv_create(const char* progid, int* err) {
  kv_object* out = nullptr;
  int rc = KV_ERR_INVALID_CALL;
  if (progid != nullptr) {
    rc = Guard([&] {
      std::unique_ptr<Dispatch> d;
      Status s = Registry::Instance().Create(progid, d);
      if (!s.ok()) return s.number();
      out = new kv_object{std::move(d)};
      return KV_OK;
    });
  }
  if (err != nullptr) *err = rc;
  return out;
}

void kv_release(kv_object* obj) { delete obj; }

int kv_set_warning_callback(kv_object* obj, kv_warning_fn fn, void* user) {
  if (obj == nullptr) return KV_ERR_INVALID_CALL;
  return Guard([&] {
    if (fn == nullptr) {
      obj->obj->SetWarningCallback(nullptr);
    } else {
      obj->obj->SetWarningCallback([fn, user](const std::string& text, const std::string& caption) {
        fn(text.c_str(), caption.c_str(), user);
      });
    }
    return KV_OK;
  });
}

kv_args* kv_args_new(void) { return new (std::nothrow) kv_args(); }

void kv_args_free(kv_args* args) { delete args; }

int kv_args_count(const kv_args* args) {
  return args == nullptr ? -1 : static_cast<int>(args->values.size());
}

int kv_args_add_empty(kv_args* args) {
  if (args == nullptr) return KV_ERR_INVALID_CALL;
  return Guard([&] {
    args->values.emplace_back();
    return KV_OK;
  });
}

int kv_args_add_string(kv_args* args, const char* text) {
  if (args == nullptr || text == nullptr) return KV_ERR_INVALID_CALL;
  return Guard([&] {
    args->values.emplace_back(std::string(text));
    return KV_OK;
  });
}

int kv_args_add_variant_array(kv_args* args, int rank, long lb1, long ub1, long lb2, long ub2) {
  return AddArray<Variant>(args, rank, lb1, ub1, lb2, ub2);
}

int kv_args_add_string_array(kv_args* args, int rank, long lb1, long ub1, long lb2, long ub2) {
  return AddArray<std::string>(args, rank, lb1, ub1, lb2, ub2);
}

int kv_args_set_element(kv_args* args, int arg, long i, long j, const char* text) {
  if (args == nullptr || text == nullptr) return KV_ERR_INVALID_CALL;
  Value* v = ArgAt(args, arg);
  if (v == nullptr) return KV_ERR_SUBSCRIPT;
  return Guard([&] {
    if (StringArray* a = v->AsStringArray()) {
      std::string* e = Element(*a, i, j);
      if (e == nullptr) return KV_ERR_SUBSCRIPT;
      *e = text;
      return KV_OK;
    }
    if (VariantArray* a = v->AsVariantArray()) {
      Variant* e = Element(*a, i, j);
      if (e == nullptr) return KV_ERR_SUBSCRIPT;
      *e = Variant(std::string(text));
      return KV_OK;
    }
    return KV_ERR_TYPE_MISMATCH;
  });
}

int kv_args_get_element(const kv_args* args, int arg, long i, long j, char** out) {
  if (args == nullptr || out == nullptr) return KV_ERR_INVALID_CALL;
  *out = nullptr;
  const Value* v = ArgAt(args, arg);
  if (v == nullptr) return KV_ERR_SUBSCRIPT;
  return Guard([&] {
    if (const StringArray* a = v->AsStringArray()) {
      const std::string* e = Element(*a, i, j);
      return e == nullptr ? KV_ERR_SUBSCRIPT : CopyOut(*e, out);
    }
    if (const VariantArray* a = v->AsVariantArray()) {
      const Variant* e = Element(*a, i, j);
      return e == nullptr ? KV_ERR_SUBSCRIPT : CopyOut(e->Text(), out);
    }
    return KV_ERR_TYPE_MISMATCH;
  });
}

int kv_args_get_bounds(const kv_args* args, int arg, int* rank, long* lb1, long* ub1, long* lb2,
                       long* ub2) {
  if (args == nullptr) return KV_ERR_INVALID_CALL;
  const Value* v = ArgAt(args, arg);
  if (v == nullptr) return KV_ERR_SUBSCRIPT;
  return Guard([&] {
    if (const StringArray* a = v->AsStringArray()) return Bounds(*a, rank, lb1, ub1, lb2, ub2);
    if (const VariantArray* a = v->AsVariantArray()) return Bounds(*a, rank, lb1, ub1, lb2, ub2);
    return KV_ERR_TYPE_MISMATCH;
  });
}

int kv_args_get_string(const kv_args* args, int arg, char** out) {
  if (args == nullptr || out == nullptr) return KV_ERR_INVALID_CALL;
  *out = nullptr;
  const Value* v = ArgAt(args, arg);
  if (v == nullptr) return KV_ERR_SUBSCRIPT;
  if (v->AsStringArray() != nullptr || v->AsVariantArray() != nullptr) return KV_ERR_TYPE_MISMATCH;
  return Guard([&] { return CopyOut(v->Text(), out); });
}

int kv_invoke(kv_object* obj, const char* method, kv_args* args, char** result, char* errbuf,
              size_t errlen) {
  if (result != nullptr) *result = nullptr;
  WriteError("", errbuf, errlen);
  if (obj == nullptr || method == nullptr || args == nullptr) {
    WriteError("kv_invoke: null object, method name or argument list", errbuf, errlen);
    return KV_ERR_INVALID_CALL;
  }
  return Guard([&] {
    Value ret;
    Status s = obj->obj->Invoke(method, args->values, result != nullptr ? &ret : nullptr);
    if (!s.ok()) {
      WriteError(s.description(), errbuf, errlen);
      return s.number();
    }
    if (result != nullptr && !ret.IsEmpty()) {
      if (int rc = CopyOut(ret.Text(), result); rc != KV_OK) {
        WriteError("Out of memory", errbuf, errlen);
        return rc;
      }
    }
    return KV_OK;
  });
}

void kv_free_string(char* s) { std::free(s); }

}  // extern "C"
