// The C++ runtime pieces lite_installer.exe defines itself, linked into this
// test as into the program: function-local statics reached by many threads
// at once are initialised exactly once and seen initialised by all, also
// when one initialiser needs another; a recursive initialisation and an
// allocation that cannot be served end the process, as the library's own
// pieces did through std::terminate. Runs under Wine.
#include <windows.h>
#include <process.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <vector>

namespace {

std::atomic<int> g_constructions{0};

struct Slow {
  Slow() : value(42) {
    ++g_constructions;
    ::Sleep(20);  // long enough for every other thread to arrive and wait
  }
  int value;
};

template <int N>
int FirstUse() {
  static Slow slow;
  return slow.value;
}

int Nested() {
  static int inner = FirstUse<100>() + 1;
  return inner;
}

struct Start {
  HANDLE go;
  int (*use)();
  std::atomic<int> wrong{0};
};

unsigned __stdcall Racer(void* argument) {
  Start* start = static_cast<Start*>(argument);
  ::WaitForSingleObject(start->go, INFINITE);
  if (start->use() < 42) ++start->wrong;
  return 0;
}

void Race(int (*use)(), Start* start) {
  start->go = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  start->use = use;
  std::vector<HANDLE> threads;
  for (int i = 0; i < 8; ++i)
    threads.push_back(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Racer, start, 0, nullptr)));
  ::SetEvent(start->go);
  ::WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
  for (HANDLE thread : threads) ::CloseHandle(thread);
  ::CloseHandle(start->go);
}

TEST(StaticGuards, EightThreadsAtOnceInitialiseEachStaticOnce) {
  g_constructions = 0;
  Start starts[3];
  Race(&FirstUse<1>, &starts[0]);
  Race(&FirstUse<2>, &starts[1]);
  Race(&Nested, &starts[2]);  // initialises FirstUse<100> inside its own guard
  for (const Start& s : starts) EXPECT_EQ(0, s.wrong.load());
  EXPECT_EQ(3, g_constructions.load());
  EXPECT_EQ(43, Nested());
  EXPECT_EQ(3, g_constructions.load());
}

int Recursive(int depth) {
  static int value = depth < 2 ? Recursive(depth + 1) : 0;
  return value;
}

TEST(StaticGuardsDeathTest, RecursiveInitialisationEndsTheProcess) {
  EXPECT_DEATH(Recursive(0), "");
}

TEST(OperatorNewDeathTest, AnAllocationThatCannotBeServedEndsTheProcess) {
  EXPECT_DEATH(
      {
        std::vector<char*> blocks;
        for (;;) blocks.push_back(new char[std::size_t{1} << 30]);
      },
      "");
}

}  // namespace
