#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "sample/sample_sysdir.h"
#include "kelvane/automation.h"
#include "kelvane/kelvane.h"

namespace kelvane {
namespace {

using automation::Dispatch;
using automation::MethodDispatch;
using automation::MethodEntry;
using automation::ParamKind;
using automation::ParamEntry;
using automation::Registry;
using automation::Value;

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server::DllRegisterServer().ok()); }

  static std::unique_ptr<Dispatch> MustCreate(std::string_view progid) {
    std::unique_ptr<Dispatch> d;
    Status s = Registry::Instance().Create(progid, d);
    EXPECT_TRUE(s.ok()) << s.description();
    return d;
  }
};

// A result list (columns 1..7, rows 0..n) whose rows carry the given levels.
StringArray ResultList(const std::vector<std::string>& levels) {
  StringArray l = StringArray::Matrix(1, 7, 0, static_cast<long>(levels.size()));
  for (size_t r = 0; r < levels.size(); ++r) {
    l(kColMessage, static_cast<long>(r + 1)) = "finding " + std::to_string(r + 1);
    l(kColLevel, static_cast<long>(r + 1)) = levels[r];
  }
  return l;
}

// The 47 arguments of AFileAuditing, arrays unallocated, the list last.
// A system directory with a rule library, written once for the audit calls.
const std::string& AuditSysDir() {
  static const std::string dir = [] {
    auto d = std::filesystem::temp_directory_path() /
             ("kelvane_server_test_sys_" + std::to_string(::getpid()));
    kelvane::sample::WriteSampleSystemDirectory(d.string());
    return d.string() + "/";
  }();
  return dir;
}

// Arguments of an AFileAuditing call for a file that carries no element, so
// that only the rule loading and the merge run.
std::vector<Value> AFileAuditingArgs(StringArray list) {
  std::vector<Value> args;
  args.emplace_back(AuditSysDir());
  args.emplace_back(VariantArray());
  VariantArray para = VariantArray::Vector(1, 60);
  para(2) = "2012";
  para(3) = "03";
  para(4) = "31";
  para(7) = "54511";
  args.emplace_back(std::move(para));
  StringArray cls = StringArray::Vector(1, 20);
  for (long k = 1; k <= 20; ++k) cls(k) = "=";
  args.emplace_back(std::move(cls));
  for (int i = 0; i < 41; ++i) args.emplace_back(StringArray());  // strP .. VFileBZ
  args.emplace_back("");                                          // strManualWindV
  args.emplace_back(std::move(list));
  return args;
}

TEST_F(ServerTest, CreateByProgIdIgnoresCase) {
  struct Case {
    const char* progid;
    std::vector<std::string> methods;
  };
  const Case cases[] = {
      {"Kelvane.KelvaneA", {"AFileFormCheck", "AFileAuditing", "WindDToWindDValue"}},
      {"kelvane.kelvanea", {"AFileFormCheck", "AFileAuditing", "WindDToWindDValue"}},
      {"KELVANE.KELVANER", {"RFileFormCheck", "RFileAuditing"}},
      {"Kelvane.KelvaneY", {"YfileFormCheck", "YfileAuditing"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.progid);
    EXPECT_TRUE(Registry::Instance().IsRegistered(c.progid));
    auto d = MustCreate(c.progid);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->MethodNames(), c.methods);
  }
}

TEST_F(ServerTest, UnknownProgIdFailsWithObjectCreate) {
  for (const char* progid : {"Kelvane.KelvaneZ", "", "Kelvane.KelvaneA ", "KelvaneA"}) {
    SCOPED_TRACE(progid);
    std::unique_ptr<Dispatch> d = std::make_unique<MethodDispatch>(std::span<const MethodEntry>());
    Status s = Registry::Instance().Create(progid, d);
    EXPECT_EQ(s.number(), kErrObjectCreate);
    EXPECT_NE(s.description().find(progid), std::string::npos);
    EXPECT_EQ(d, nullptr);
  }
}

TEST_F(ServerTest, UnregisterThenCreateFailsAndRegisterAgainWorks) {
  ASSERT_TRUE(server::DllUnregisterServer().ok());
  for (auto progid : {server::kProgIdA, server::kProgIdR, server::kProgIdY}) {
    std::unique_ptr<Dispatch> d;
    EXPECT_EQ(Registry::Instance().Create(progid, d).number(), kErrObjectCreate);
    EXPECT_FALSE(Registry::Instance().IsRegistered(progid));
  }
  // Registration is idempotent.
  ASSERT_TRUE(server::DllRegisterServer().ok());
  ASSERT_TRUE(server::DllRegisterServer().ok());
  EXPECT_NE(MustCreate(server::kProgIdR), nullptr);

  // The class object is served whether or not the class is registered.
  ASSERT_TRUE(server::DllUnregisterServer().ok());
  automation::Factory f;
  ASSERT_TRUE(server::DllGetClassObject("kelvane.kelvaney", f).ok());
  ASSERT_TRUE(f);
  EXPECT_EQ(f()->MethodNames().front(), "YfileFormCheck");
  EXPECT_EQ(server::DllGetClassObject("Dravik.ReadWriteFile", f).number(), kErrObjectCreate);
  ASSERT_TRUE(server::DllRegisterServer().ok());
}

TEST_F(ServerTest, CanUnloadOnlyWithoutObjectsAndLocks) {
  ASSERT_TRUE(server::DllCanUnloadNow());
  {
    auto d = MustCreate(server::kProgIdA);
    EXPECT_FALSE(server::DllCanUnloadNow());
  }
  EXPECT_TRUE(server::DllCanUnloadNow());
  Registry::Instance().LockServer(true);
  Registry::Instance().LockServer(true);
  EXPECT_FALSE(server::DllCanUnloadNow());
  Registry::Instance().LockServer(false);
  EXPECT_FALSE(server::DllCanUnloadNow());
  Registry::Instance().LockServer(false);
  Registry::Instance().LockServer(false);  // an extra unlock is ignored
  EXPECT_TRUE(server::DllCanUnloadNow());
}

TEST_F(ServerTest, WindConversionThroughInvoke) {
  auto d = MustCreate(server::kProgIdA);
  // By-value strings accept a string or a scalar variant.
  std::vector<std::vector<Value>> argLists;
  argLists.push_back({Value("NNE"), Value("35")});
  argLists.push_back({Value(Variant("NNE")), Value(Variant(35))});
  for (auto& args : argLists) {
    Value result;
    Status s = d->Invoke("winddtowinddvalue", args, &result);
    ASSERT_TRUE(s.ok()) << s.description();
    ASSERT_NE(result.AsString(), nullptr);
    EXPECT_EQ(*result.AsString(), "23");
  }
}

TEST_F(ServerTest, AuditingMergesIntoCallersList) {
  auto d = MustCreate(server::kProgIdA);
  std::vector<Value> args = AFileAuditingArgs(ResultList({"可疑", "错误"}));
  ASSERT_EQ(args.size(), 47u);
  Value result("stale");
  Status s = d->Invoke("AFileAuditing", args, &result);
  ASSERT_TRUE(s.ok()) << s.description();
  EXPECT_TRUE(result.IsEmpty());
  const StringArray* list = args.back().AsStringArray();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->UBound(2), 2);
  // Grouped by level: the error row ahead of the suspicious one.
  EXPECT_EQ((*list)(kColMessage, 1), "finding 2");
  EXPECT_EQ((*list)(kColMessage, 2), "finding 1");
  EXPECT_NE(args[45].AsString(), nullptr);  // strManualWindV still a string
}

TEST_F(ServerTest, ArraysAreWrittenBackToTheCaller) {
  // The R and Y format checks cut the caller's list to row 0: seen only if
  // the argument is passed by reference.
  struct Case {
    std::string_view progid;
    const char* method;
  };
  for (const Case& c : {Case{server::kProgIdR, "RFileFormCheck"},
                        Case{server::kProgIdY, "YFILEFORMCHECK"}}) {
    SCOPED_TRACE(c.method);
    auto d = MustCreate(c.progid);
    std::vector<Value> args{Value("/sys/"), Value("/no/such/file.txt"),
                            Value(VariantArray::Vector(1, 16)),
                            Value(ResultList({"错误", "错误", "可疑"}))};
    (void)d->Invoke(c.method, args, nullptr);  // the status depends on the file check
    const StringArray* list = args[3].AsStringArray();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Rank(), 2);
    EXPECT_EQ(list->UBound(2), 0);
  }
}

TEST_F(ServerTest, BadCallsAreRejectedWithNamedParameter) {
  auto a = MustCreate(server::kProgIdA);
  auto y = MustCreate(server::kProgIdY);
  struct Case {
    Dispatch* obj;
    const char* method;
    std::vector<Value> args;
    int number;
    std::string message;  // expected part of the description
  };
  std::vector<Value> manualWindAsArray = AFileAuditingArgs(StringArray());
  manualWindAsArray[45] = Value(StringArray());
  std::vector<Value> missingList = AFileAuditingArgs(StringArray());
  missingList.pop_back();

  std::vector<Case> cases;
  cases.push_back({a.get(), "AFileFormCheck",
                   {Value("/s/"), Value("f"), Value(StringArray()), Value(StringArray()),
                    Value(StringArray())},
                   kErrTypeMismatch,
                   "AFileFormCheck: parameter 3 (AFilePara) must be an array of variants"});
  cases.push_back({a.get(), "AFileFormCheck",
                   {Value("/s/"), Value("f"), Value(VariantArray())},
                   kErrInvalidCall,
                   "AFileFormCheck: expects 5 arguments, got 3"});
  cases.push_back({a.get(), "AFileAuditing", std::move(manualWindAsArray), kErrTypeMismatch,
                   "parameter 46 (strManualWindV) must be a string"});
  cases.push_back({a.get(), "AFileAuditing", std::move(missingList), kErrInvalidCall,
                   "AFileAuditing: expects 47 arguments, got 46"});
  cases.push_back({a.get(), "WindDToWindDValue", {Value(StringArray()), Value("1")},
                   kErrTypeMismatch, "parameter 1 (strWD) must be a string"});
  cases.push_back({y.get(), "YfileFormCheck",
                   {Value("/s/"), Value("f"), Value(VariantArray()), Value(VariantArray())},
                   kErrTypeMismatch, "parameter 4 (YFileAuditingList) must be an array of strings"});
  cases.push_back({y.get(), "AFileFormCheck", {}, kErrNoMethod, "AFileFormCheck"});
  cases.push_back({a.get(), "", {}, kErrNoMethod, ""});

  for (Case& c : cases) {
    SCOPED_TRACE(c.message);
    Value result("untouched");
    Status s = c.obj->Invoke(c.method, c.args, &result);
    EXPECT_EQ(s.number(), c.number);
    EXPECT_NE(s.description().find(c.message), std::string::npos) << s.description();
    EXPECT_EQ(result.Text(), "untouched");
  }
}

// A probe class: "Enter" records whether two calls on one object overlapped;
// "Meet" waits until a call on another object is running at the same time.
std::atomic<int> g_inside{0};
std::atomic<bool> g_overlap{false};
std::atomic<int> g_met{0};

constexpr MethodEntry kProbeMethods[] = {
    {"Enter", std::span<const ParamEntry>(),
     [](MethodDispatch&, std::vector<Value>&, Value*) {
       if (g_inside.fetch_add(1) != 0) g_overlap = true;
       std::this_thread::sleep_for(std::chrono::microseconds(200));
       g_inside.fetch_sub(1);
       return Status::Ok();
     }},
    {"Meet", std::span<const ParamEntry>(),
     [](MethodDispatch&, std::vector<Value>&, Value* result) {
       g_met.fetch_add(1);
       auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
       while (g_met.load() < 2 && std::chrono::steady_clock::now() < deadline)
         std::this_thread::yield();
       *result = Value(Variant(g_met.load() >= 2));
       return Status::Ok();
     }},
};

constexpr ParamEntry kSwapParams[] = {{"vRef", ParamKind::kVariantRef},
                                     {"sRef", ParamKind::kStringRef}};

const MethodEntry kSwapMethod[] = {
    {"Swap", kSwapParams, [](MethodDispatch&, std::vector<Value>& v, Value*) {
       std::string s = *v[1].AsString();
       *v[1].AsString() = v[0].AsVariant()->Text();
       *v[0].AsVariant() = Variant(s + "!");
       return Status::Ok();
     }},
};

TEST(ServerBindTest, ByReferenceScalarsAreCoercedAndWrittenBack) {
  struct Case {
    Value v, s;
    std::string vAfter, sAfter;
  };
  std::vector<Case> cases;
  cases.push_back({Value(Variant(1.5)), Value("x"), "x!", "1.5"});
  cases.push_back({Value(), Value(), "!", ""});            // empties become variables
  cases.push_back({Value("text"), Value("y"), "y!", "text"});  // a string becomes a variant
  MethodDispatch d(kSwapMethod);
  for (Case& c : cases) {
    std::vector<Value> args{c.v, c.s};
    ASSERT_TRUE(d.Invoke("SWAP", args, nullptr).ok());
    ASSERT_NE(args[0].AsVariant(), nullptr);
    ASSERT_NE(args[1].AsString(), nullptr);
    EXPECT_EQ(args[0].Text(), c.vAfter);
    EXPECT_EQ(args[1].Text(), c.sAfter);
  }
  // A rejected call converts none of the arguments.
  std::vector<Value> bad{Value(), Value(Variant(2))};
  Status s = d.Invoke("Swap", bad, nullptr);
  EXPECT_EQ(s.number(), kErrTypeMismatch);
  EXPECT_NE(s.description().find("parameter 2 (sRef)"), std::string::npos);
  EXPECT_TRUE(bad[0].IsEmpty());
}

class ProbeRegistration {
 public:
  ProbeRegistration() {
    const Status st = Registry::Instance().RegisterClass("Test.Probe", [] {
      return std::make_unique<MethodDispatch>(kProbeMethods);
    });
    EXPECT_TRUE(st.ok()) << st.description();
  }
  ~ProbeRegistration() { Registry::Instance().UnregisterClass("Test.Probe"); }
};

TEST_F(ServerTest, CallsOnOneObjectAreSerialised) {
  ProbeRegistration reg;
  auto d = MustCreate("test.probe");
  g_overlap = false;
  auto worker = [&] {
    for (int i = 0; i < 50; ++i) {
      std::vector<Value> none;
      EXPECT_TRUE(d->Invoke("enter", none, nullptr).ok());
    }
  };
  std::thread t1(worker), t2(worker);
  t1.join();
  t2.join();
  EXPECT_FALSE(g_overlap.load());
}

TEST_F(ServerTest, SeparateObjectsRunInParallel) {
  ProbeRegistration reg;
  auto d1 = MustCreate("Test.Probe");
  auto d2 = MustCreate("Test.Probe");
  g_met = 0;
  Value r1, r2;
  auto meet = [](Dispatch* d, Value* r) {
    std::vector<Value> none;
    EXPECT_TRUE(d->Invoke("Meet", none, r).ok());
  };
  std::thread t1(meet, d1.get(), &r1), t2(meet, d2.get(), &r2);
  t1.join();
  t2.join();
  EXPECT_EQ(r1.Text(), "True");
  EXPECT_EQ(r2.Text(), "True");
}

TEST_F(ServerTest, ConcurrentCallsOnComponentObjects) {
  // One shared object plus one object per thread, all busy at once; run
  // under the sanitizer build to catch races on the argument or the result list.
  auto shared = MustCreate(server::kProgIdA);
  auto worker = [&] {
    auto own = MustCreate(server::kProgIdA);
    for (int i = 0; i < 100; ++i) {
      for (Dispatch* d : {shared.get(), own.get()}) {
        std::vector<Value> args = AFileAuditingArgs(ResultList({"错误"}));
        EXPECT_TRUE(d->Invoke("AFileAuditing", args, nullptr).ok());
        std::vector<Value> wind{Value("SW"), Value("4")};
        Value r;
        EXPECT_TRUE(d->Invoke("WindDToWindDValue", wind, &r).ok());
      }
    }
  };
  std::thread t1(worker), t2(worker);
  t1.join();
  t2.join();
}

}  // namespace
}  // namespace kelvane
