// The sinks' totals are the resume offset, so they must count exactly what
// was kept and return to 0 on Reset.
#include "setup/download_sink.h"

#include <gtest/gtest.h>

namespace lite_installer {
namespace {

TEST(DownloadSinkTotal, BaseSinkCountsAndDropsTheBytes) {
  DownloadSink sink;
  EXPECT_TRUE(sink.Write("abc", 3));
  EXPECT_TRUE(sink.Write("de", 2));
  EXPECT_EQ(sink.total(), 5u);
  sink.Reset();
  EXPECT_EQ(sink.total(), 0u);
}

TEST(DownloadSinkTotal, MemorySinkKeepsBinaryBytesInOrder) {
  MemoryDownloadSink sink;
  const char chunk1[] = {'a', '\0', 'b'};
  const char chunk2[] = {'\xff', 'c'};
  EXPECT_TRUE(sink.Write(chunk1, 3));
  EXPECT_TRUE(sink.Write(chunk2, 2));
  EXPECT_TRUE(sink.Write("", 0));
  EXPECT_EQ(sink.data(), std::string("a\0b\xff" "c", 5));
  EXPECT_EQ(sink.total(), 5u);
}

TEST(DownloadSinkTotal, CappedMemorySinkKeepsTheFirstBytesAndCountsAll) {
  MemoryDownloadSink sink(4);
  EXPECT_TRUE(sink.Write("abc", 3));
  EXPECT_TRUE(sink.Write("defg", 4));
  EXPECT_TRUE(sink.Write("h", 1));
  EXPECT_EQ(sink.data(), "abcd");
  EXPECT_EQ(sink.total(), 8u);
  sink.Reset();
  EXPECT_TRUE(sink.Write("xyz12", 5));
  EXPECT_EQ(sink.data(), "xyz1");
}

TEST(DownloadSinkTotal, MemorySinkResetEmptiesData) {
  MemoryDownloadSink sink;
  sink.Write("abc", 3);
  sink.Reset();
  EXPECT_EQ(sink.data(), "");
  EXPECT_EQ(sink.total(), 0u);
  sink.Write("z", 1);
  EXPECT_EQ(sink.data(), "z");
}

}  // namespace
}  // namespace lite_installer
