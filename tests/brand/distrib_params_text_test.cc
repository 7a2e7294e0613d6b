// Splitting the distribution parameter text and the "distrib_info" document.
#include "brand/distrib_params_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <jansson.h>

namespace lite_installer {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

TEST(DistribParamSplitting, PairsInOrder) {
  EXPECT_THAT(SplitDistribParams("lang=de&x=1"), ElementsAre(Pair("lang", "de"), Pair("x", "1")));
}

TEST(DistribParamSplitting, ValueMayHoldEqualsSigns) {
  EXPECT_THAT(SplitDistribParams("x=a=b"), ElementsAre(Pair("x", "a=b")));
}

TEST(DistribParamSplitting, KeyWithoutEqualsHasAnEmptyValue) {
  EXPECT_THAT(SplitDistribParams("flag&lang=tr"),
              ElementsAre(Pair("flag", ""), Pair("lang", "tr")));
  EXPECT_THAT(SplitDistribParams("flag"), ElementsAre(Pair("flag", "")));
}

TEST(DistribParamSplitting, EmptyPieceGivesAnEmptyPair) {
  EXPECT_THAT(SplitDistribParams("a=1&&b=2"),
              ElementsAre(Pair("a", "1"), Pair("", ""), Pair("b", "2")));
  EXPECT_THAT(SplitDistribParams("&"), ElementsAre(Pair("", "")));
}

TEST(DistribParamSplitting, TrailingAmpersandAddsNothing) {
  EXPECT_THAT(SplitDistribParams("a=1&"), ElementsAre(Pair("a", "1")));
}

TEST(DistribParamSplitting, EmptyTextHasNoPairs) { EXPECT_TRUE(SplitDistribParams("").empty()); }

TEST(DistribParamSplitting, EscapesAreKept) {
  EXPECT_THAT(SplitDistribParams("download_date=2026%2D12%2D09&=v"),
              ElementsAre(Pair("download_date", "2026%2D12%2D09"), Pair("", "v")));
}

// Members of the document as key → value.
std::map<std::string, std::string> Members(const std::string& json) {
  std::map<std::string, std::string> out;
  json_t* root = json_loads(json.c_str(), 0, nullptr);
  const char* key;
  json_t* value;
  json_object_foreach(root, key, value) { out[key] = json_string_value(value); }
  json_decref(root);
  return out;
}

TEST(DistribInfoDocument, LanguageAndMembers) {
  DistribInfoDocument document = MakeDistribInfoDocument("lang=de&x=1");
  EXPECT_TRUE(document.has_params);
  EXPECT_EQ(document.language, "de");
  EXPECT_THAT(Members(document.json), ElementsAre(Pair("lang", "de"), Pair("x", "1")));
}

TEST(DistribInfoDocument, IndentedByTwoWithoutTrailingNewline) {
  EXPECT_EQ(MakeDistribInfoDocument("x=a=b").json, "{\n  \"x\": \"a=b\"\n}");
}

TEST(DistribInfoDocument, EmptyLangLetsALaterOneSetTheLanguage) {
  DistribInfoDocument document = MakeDistribInfoDocument("lang=&lang=uk");
  EXPECT_EQ(document.language, "uk");
  EXPECT_EQ(Members(document.json)["lang"], "uk");
}

TEST(DistribInfoDocument, FirstLanguageWinsButTheLastMemberStays) {
  DistribInfoDocument document = MakeDistribInfoDocument("lang=ru&lang=uk");
  EXPECT_EQ(document.language, "ru");
  EXPECT_EQ(Members(document.json)["lang"], "uk");
}

TEST(DistribInfoDocument, FlagGetsAnEmptyMember) {
  DistribInfoDocument document = MakeDistribInfoDocument("flag&lang=tr");
  EXPECT_EQ(document.language, "tr");
  EXPECT_THAT(Members(document.json), ElementsAre(Pair("flag", ""), Pair("lang", "tr")));
}

TEST(DistribInfoDocument, PairsThatAreNotUtf8AreLeftOut) {
  DistribInfoDocument document = MakeDistribInfoDocument("a=\xff&\xfe=b&c=ok");
  EXPECT_THAT(Members(document.json), ElementsAre(Pair("c", "ok")));
}

TEST(DistribInfoDocument, TextWithoutPairsGivesNoDocument) {
  DistribInfoDocument document = MakeDistribInfoDocument("");
  EXPECT_FALSE(document.has_params);
  EXPECT_TRUE(document.json.empty());
}

TEST(DistribInfoDocument, LangKeyMustMatchExactly) {
  EXPECT_EQ(MakeDistribInfoDocument("LANG=de&lang2=fr").language, "");
}

}  // namespace
}  // namespace lite_installer
