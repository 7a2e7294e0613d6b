// The licence sentence of the welcome screen: the text is cut into words and
// one link (marked "((" ... "))"), and the pieces are laid out in lines of at
// most 360 pixels, one static control per run. The cutting and the line
// layout are portable and take the text measurement as a parameter; the
// Windows part measures with the dialog's body font and creates the statics.
#pragma once

#include <string>
#include <vector>

namespace lite_installer {

constexpr wchar_t kLicenseLinkOpen[] = L"((";
constexpr wchar_t kLicenseLinkClose[] = L"))";
constexpr int kLicenseLineWidth = 360;

struct LicenseSegment {
  std::wstring text;
  bool is_link = false;
};

struct LicenseRun {
  std::wstring text;
  bool is_link = false;
  int line = 0;   // 0-based
  int width = 0;  // pixels
  int x = 0;      // pixels from the left edge of the text area
};

// One plain segment per word (each with its trailing blanks; U+00A0 does not
// cut), one segment per link; an unclosed link runs to the end. Segments may
// be empty (before a "((" at the very start).
std::vector<LicenseSegment> SplitLicenseSentence(const std::wstring& sentence);

// The width in pixels of a text in the font of the sentence.
class TextMeasure {
 public:
  virtual int Width(const std::wstring& text) = 0;

 protected:
  ~TextMeasure() = default;
};

// Merges segments of the same kind into runs that fit the line, moving a run
// to the next line when it would pass `line_width`. A run never breaks inside
// itself, so an over-long link or word overflows its line. Runs with empty
// text are not returned.
std::vector<LicenseRun> LayOutLicenseRuns(const std::vector<LicenseSegment>& segments,
                                          TextMeasure* measure,
                                          int line_width = kLicenseLineWidth);

}  // namespace lite_installer
