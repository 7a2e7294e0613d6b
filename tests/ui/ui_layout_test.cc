// The dialog's arithmetic on the host: the licence sentence's cutting and
// line layout, the progress bands and time-left line, the progress bar's
// fill, and the geometry of the screens and the shadow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dialog_layout.h"
#include "ui/license_text.h"
#include "ui/progress_values.h"

namespace lite_installer {
namespace {

// Every character is 6 pixels wide: a line of 360 pixels holds 60.
class FixedWidth : public TextMeasure {
 public:
  int Width(const std::wstring& text) override { return 6 * static_cast<int>(text.size()); }
};

std::vector<std::pair<std::wstring, bool>> Pieces(const std::wstring& sentence) {
  std::vector<std::pair<std::wstring, bool>> pieces;
  for (const auto& s : SplitLicenseSentence(sentence)) pieces.emplace_back(s.text, s.is_link);
  return pieces;
}

TEST(LicenseSentence, CutsWordsWithTheirBlanksAndKeepsTheLinkWhole) {
  using P = std::vector<std::pair<std::wstring, bool>>;
  struct Case {
    const wchar_t* sentence;
    P pieces;
  } cases[] = {
      {L"By using Tavrix browser, you agree to the terms and conditions of the "
       L"((License Agreement)).",
       {{L"By ", false}, {L"using ", false}, {L"Tavrix ", false}, {L"browser, ", false},
        {L"you ", false}, {L"agree ", false}, {L"to ", false}, {L"the ", false},
        {L"terms ", false}, {L"and ", false}, {L"conditions ", false}, {L"of ", false},
        {L"the ", false}, {L"License Agreement", true}, {L".", false}}},
      {L"((Terms)) apply", {{L"", false}, {L"Terms", true}, {L" ", false}, {L"apply", false}}},
      {L"Read ((the terms  and more", {{L"Read ", false}, {L"the terms  and more", true}}},
      {L"a\u00A0b\u00A0c  d", {{L"a\u00A0b\u00A0c  ", false}, {L"d", false}}},
      {L"((a))((b))", {{L"", false}, {L"a", true}, {L"", false}, {L"b", true}}},
      {L"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.pieces, Pieces(c.sentence)) << c.sentence;
}

struct RunView {
  std::wstring text;
  bool link;
  int line, x, width;
  bool operator==(const RunView& o) const {
    return text == o.text && link == o.link && line == o.line && x == o.x && width == o.width;
  }
};

std::vector<RunView> Layout(const std::wstring& sentence) {
  FixedWidth measure;
  std::vector<RunView> views;
  for (const auto& r : LayOutLicenseRuns(SplitLicenseSentence(sentence), &measure))
    views.push_back(RunView{r.text, r.is_link, r.line, r.x, r.width});
  return views;
}

TEST(LicenseLayout, MergesWordsIntoLinesOfAtMost360PixelsAndPlacesTheLinkWhole) {
  EXPECT_EQ((std::vector<RunView>{
                {L"By using Tavrix browser, you agree to the terms and ", false, 0, 0, 312},
                {L"conditions of the ", false, 1, 0, 108},
                {L"License Agreement", true, 1, 108, 102},
                {L".", false, 1, 210, 6}}),
            Layout(L"By using Tavrix browser, you agree to the terms and conditions of the "
                   L"((License Agreement))."));
  // A link wider than the line starts a line of its own and overflows it;
  // the empty piece before a leading link makes no run.
  const std::wstring long_link(70, L'x');
  EXPECT_EQ((std::vector<RunView>{{long_link, true, 0, 0, 420}, {L" end", false, 1, 0, 24}}),
            Layout(L"((" + long_link + L")) end"));
  EXPECT_EQ((std::vector<RunView>{{L"see ", false, 0, 0, 24}, {long_link, true, 1, 0, 420}}),
            Layout(L"see ((" + long_link));
  // Text held together by non-breaking spaces is one word, whatever its width.
  const std::wstring glued = std::wstring(40, L'a') + L"\u00A0" + std::wstring(40, L'b');
  EXPECT_EQ((std::vector<RunView>{{glued, false, 0, 0, 486}}), Layout(glued));
  EXPECT_TRUE(Layout(L"").empty());
}

TEST(ProgressBands, ImportAndInstallStepsAsTheSetupReportsThem) {
  const std::pair<int32_t, int32_t> import_cases[] = {{0, 80}, {50, 90}, {100, 100}, {33, 86},
                                                      {7, 81}, {99, 99}};
  for (const auto& c : import_cases) EXPECT_EQ(c.second, ImportProgressPercent(c.first)) << c.first;
  // As the message brings it: only 0-100 reaches the arithmetic.
  const std::pair<uint64_t, int32_t> message_cases[] = {
      {0, 80}, {100, 100}, {101, -1}, {0xFFFFFFFFu, -1}, {0x80000000u, -1}, {1u << 30, -1}};
  for (const auto& c : message_cases) {
    int32_t percent = -1;
    EXPECT_EQ(c.second >= 0, ImportProgressFromMessage(c.first, &percent)) << c.first;
    EXPECT_EQ(c.second, percent) << c.first;
  }
  int32_t seconds = 0;
  EXPECT_TRUE(ImportStageSecondsLeft(1, &seconds));
  EXPECT_EQ(60, seconds);
  EXPECT_TRUE(ImportStageSecondsLeft(3, &seconds));
  EXPECT_EQ(10, seconds);
  EXPECT_FALSE(ImportStageSecondsLeft(0, &seconds));
  EXPECT_FALSE(ImportStageSecondsLeft(4, &seconds));
}

TEST(TimeLeftLine, TruncatesMinutesAndChoosesTheStringByKind) {
  struct Case {
    int32_t seconds, kind;
    uint32_t string_id;
    int32_t number;
  } cases[] = {
      {299, kTimeLeftEstimate, 407, 4},   {240, kTimeLeftUpperBound, 403, 4},
      {60, kTimeLeftUpperBound, 403, 1},  {59, kTimeLeftUpperBound, 418, 59},
      {180, kTimeLeftUpperBound, 403, 3}, {10, kTimeLeftUpperBound, 418, 10},
      {420, kTimeLeftEstimate, 407, 7},   {300, kTimeLeftEstimate, 407, 5},
      {30, kTimeLeftEstimate, 409, 30},   {-1, kTimeLeftNone, 0, 0},
      {120, 3, 0, 0},                     {120, -2, 0, 0},
  };
  for (const Case& c : cases) {
    const TimeLeftLine line = ChooseTimeLeftLine(c.seconds, c.kind);
    EXPECT_EQ(c.string_id, line.string_id) << c.seconds << " " << c.kind;
    if (c.string_id) EXPECT_EQ(c.number, line.number) << c.seconds << " " << c.kind;
  }
  EXPECT_EQ(L"4 mins left", FormatTimeLeft(L"%i mins left", 4));
  EXPECT_EQ(L"", FormatTimeLeft(L"", 4));
  EXPECT_EQ(511u, FormatTimeLeft(std::wstring(600, L'x') + L"%i", 1).size());
}

TEST(ProgressBarFill, ColumnsOfTheFillForThePosition) {
  EXPECT_EQ(65, ProgressFillWidth(50, 0, 100, 130));
  EXPECT_EQ(0, ProgressFillWidth(0, 0, 100, 130));
  EXPECT_EQ(130, ProgressFillWidth(100, 0, 100, 130));
  EXPECT_EQ(1, ProgressFillWidth(1, 0, 100, 130));
  EXPECT_EQ(0, ProgressFillWidth(5, 10, 10, 130));
  EXPECT_EQ(130, ProgressFillWidth(150, 0, 100, 130));
}

TEST(ScreenGeometry, NarrowingShadowAndMessageLayout) {
  // The progress screen stays centred on the welcome screen's window.
  EXPECT_EQ((Box{551, 283, 178, 233}), NarrowedWindow(Box{316, 283, 648, 233}));
  EXPECT_EQ((Box{530, 262, 220, 275}), ShadowBox(Box{551, 283, 178, 233}, kInstallerShadowMargins));
  EXPECT_EQ((Box{311, 280, 410, 186}), ShadowBox(Box{316, 283, 400, 176}, kMessageShadowMargins));
  EXPECT_EQ((Box{316, 283, 648, 233}), CentredIn(Box{0, 0, 1280, 800}, 648, 233));

  // The narrow shadow takes the image's four corners; the full-size one maps
  // the image onto itself.
  const auto narrow = ShadowPieces(220, 275, 690, 275);
  EXPECT_EQ((Box{110, 137, 110, 138}), narrow[3].destination);
  EXPECT_EQ(580, narrow[3].source_x);
  EXPECT_EQ(137, narrow[3].source_y);
  EXPECT_EQ(580, narrow[1].source_x);
  EXPECT_EQ(0, narrow[2].source_x);
  for (const auto& piece : ShadowPieces(690, 275, 690, 275)) {
    EXPECT_EQ(piece.destination.x, piece.source_x);
    EXPECT_EQ(piece.destination.y, piece.source_y);
  }

  const MessageLayout message = LayOutMessageDialog(400, 176, 120, 28);
  EXPECT_EQ((Box{40, 128, 120, 28}), message.first_button);
  EXPECT_EQ(170, message.second_button.x);
  EXPECT_EQ((Box{40, 78, 330, 50}), message.body);
  EXPECT_EQ((Box{40, 30, 330, 48}), message.title);

  using namespace installer_layout;
  EXPECT_EQ((Box{24, 198, 130, 11}), ProgressBarBox(275, 130, 11));
  EXPECT_EQ((Box{6, 212, 166, 12}), TimeLeftBox(275));
  EXPECT_EQ((Box{203, 148, 397, 32}), PrivacyLinkBox(28));
  EXPECT_EQ((Box{200, 90, 50, 17}), LicenseRunBox(20, 2, 50));
}

}  // namespace
}  // namespace lite_installer
