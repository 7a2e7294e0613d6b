// The bookkeeping behind the cabinet library's callbacks: reads and seeks
// never leave the package, only the wanted file is kept, and output is capped
// whatever size a package declares.
#include "brand/cabinet_extractor.h"

#include <gtest/gtest.h>

#include <string>

namespace lite_installer {
namespace {

const std::string kPackage = "0123456789";

TEST(CabinetReadCursor, ReadStopsAtTheEndOfThePackage) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "");
  CabinetExtractor::ReadCursor* cursor = extractor.OpenCursor();
  char buffer[16] = {};
  EXPECT_EQ(extractor.Seek(cursor, 7, 0), 7);
  EXPECT_EQ(extractor.Read(cursor, buffer, sizeof(buffer)), 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(extractor.Read(cursor, buffer, sizeof(buffer)), 0u);
}

TEST(CabinetReadCursor, SeekBeyondTheEndFailsAndKeepsThePosition) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "");
  CabinetExtractor::ReadCursor* cursor = extractor.OpenCursor();
  EXPECT_EQ(extractor.Seek(cursor, 4, 0), 4);
  EXPECT_EQ(extractor.Seek(cursor, 7, 1), -1);
  EXPECT_EQ(extractor.Seek(cursor, 1, 2), -1);
  char c = 0;
  ASSERT_EQ(extractor.Read(cursor, &c, 1), 1u);
  EXPECT_EQ(c, '4');
}

TEST(CabinetReadCursor, SeekBeforeTheStartFails) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "");
  CabinetExtractor::ReadCursor* cursor = extractor.OpenCursor();
  EXPECT_EQ(extractor.Seek(cursor, -1, 0), -1);
  EXPECT_EQ(extractor.Seek(cursor, -11, 2), -1);
  EXPECT_EQ(extractor.Seek(cursor, -10, 2), 0);
  EXPECT_EQ(extractor.Seek(cursor, 0, 3), -1);  // unknown origin
}

TEST(CabinetReadCursor, SeekToTheExactEndIsAllowed) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "");
  CabinetExtractor::ReadCursor* cursor = extractor.OpenCursor();
  EXPECT_EQ(extractor.Seek(cursor, 0, 2), 10);
}

TEST(CabinetReadCursor, CursorsAreIndependentAndOnlyOwnedOnesClose) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "");
  CabinetExtractor::ReadCursor* a = extractor.OpenCursor();
  CabinetExtractor::ReadCursor* b = extractor.OpenCursor();
  extractor.Seek(a, 5, 0);
  char c = 0;
  extractor.Read(b, &c, 1);
  EXPECT_EQ(c, '0');
  CabinetExtractor::ReadCursor stranger;
  EXPECT_FALSE(extractor.OwnsCursor(&stranger));
  EXPECT_FALSE(extractor.CloseCursor(&stranger));
  EXPECT_TRUE(extractor.CloseCursor(a));
  EXPECT_FALSE(extractor.OwnsCursor(a));
  EXPECT_TRUE(extractor.OwnsCursor(b));
}

TEST(CabinetOutput, OnlyTheWantedFileIsKept) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "brand_config");
  EXPECT_EQ(extractor.BeginFile("other", 3), CabinetExtractor::FileDecision::kSkip);
  EXPECT_EQ(extractor.BeginFile("Brand_config", 3), CabinetExtractor::FileDecision::kSkip);
  ASSERT_EQ(extractor.BeginFile("brand_config", 2), CabinetExtractor::FileDecision::kExtract);
  ASSERT_TRUE(extractor.Append("{}", 2));
  extractor.EndFile("brand_config");
  ExtractedFiles files = extractor.TakeFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files["brand_config"], "{}");
}

TEST(CabinetOutput, EmptyWantedNameKeepsEveryFile) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "");
  for (const char* name : {"a", "b"}) {
    ASSERT_EQ(extractor.BeginFile(name, 1), CabinetExtractor::FileDecision::kExtract);
    extractor.Append(name, 1);
    extractor.EndFile(name);
  }
  EXPECT_EQ(extractor.TakeFiles().size(), 2u);
}

TEST(CabinetOutput, AbsurdDeclaredSizeIsRefusedWithoutReserving) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "brand_config");
  EXPECT_EQ(extractor.BeginFile("brand_config", 0xFFFFFFF0u),
            CabinetExtractor::FileDecision::kRefuse);
  EXPECT_EQ(extractor.BeginFile("brand_config", CabinetExtractor::kMaxExtractedBytes + 1),
            CabinetExtractor::FileDecision::kRefuse);
  EXPECT_EQ(extractor.BeginFile("brand_config", CabinetExtractor::kMaxExtractedBytes),
            CabinetExtractor::FileDecision::kExtract);
}

TEST(CabinetOutput, OutputBeyondTheLimitIsRefusedEvenWhenDeclaredSmall) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "");
  ASSERT_EQ(extractor.BeginFile("bomb", 10), CabinetExtractor::FileDecision::kExtract);
  std::string chunk(1 << 20, 'x');
  size_t written = 0;
  while (extractor.Append(chunk.data(), chunk.size())) written += chunk.size();
  EXPECT_EQ(written, CabinetExtractor::kMaxExtractedBytes);
  EXPECT_FALSE(extractor.Append("y", 1));
}

TEST(CabinetOutput, LimitCountsEveryFileOfTheExtraction) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "");
  std::string big(CabinetExtractor::kMaxExtractedBytes - 4, 'a');
  ASSERT_EQ(extractor.BeginFile("a", static_cast<uint32_t>(big.size())),
            CabinetExtractor::FileDecision::kExtract);
  ASSERT_TRUE(extractor.Append(big.data(), big.size()));
  extractor.EndFile("a");
  EXPECT_EQ(extractor.BeginFile("b", 5), CabinetExtractor::FileDecision::kRefuse);
  ASSERT_EQ(extractor.BeginFile("b", 4), CabinetExtractor::FileDecision::kExtract);
  EXPECT_FALSE(extractor.Append("12345", 5));
}

TEST(CabinetOutput, FileShorterThanDeclaredIsDropped) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "brand_config");
  ASSERT_EQ(extractor.BeginFile("brand_config", 5), CabinetExtractor::FileDecision::kExtract);
  extractor.Append("{}", 2);
  extractor.EndFile("brand_config");
  EXPECT_TRUE(extractor.TakeFiles().empty());
}

TEST(CabinetOutput, ALaterFileOfTheSameNameReplacesTheEarlier) {
  CabinetExtractor extractor(kPackage.data(), kPackage.size(), "x");
  extractor.BeginFile("x", 1);
  extractor.Append("1", 1);
  extractor.EndFile("x");
  extractor.BeginFile("x", 1);
  extractor.Append("2", 1);
  extractor.EndFile("x");
  EXPECT_EQ(extractor.TakeFiles()["x"], "2");
}

}  // namespace
}  // namespace lite_installer
