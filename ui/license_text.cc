// Cutting and line layout of the licence sentence; portable.
#include "ui/license_text.h"

namespace lite_installer {

std::vector<LicenseSegment> SplitLicenseSentence(const std::wstring& text) {
  std::vector<LicenseSegment> segments;
  auto emit = [&](size_t from, size_t to, bool link) {
    segments.push_back(LicenseSegment{text.substr(from, to - from), link});
  };
  bool in_link = false;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (!in_link) {
      if (text.compare(i, 2, kLicenseLinkOpen) == 0) {
        emit(start, i, false);
        start = i + 2;
        in_link = true;
        i += 2;
        continue;
      }
      if (i > 0 && text[i - 1] == L' ' && text[i] != L' ') {
        emit(start, i, false);
        start = i;
      }
    } else if (text.compare(i, 2, kLicenseLinkClose) == 0) {
      emit(start, i, true);
      start = i + 2;
      in_link = false;
      i += 2;
      continue;
    }
    ++i;
  }
  if (start < text.size()) emit(start, text.size(), in_link);
  return segments;
}

std::vector<LicenseRun> LayOutLicenseRuns(const std::vector<LicenseSegment>& segments,
                                          TextMeasure* measure, int line_width) {
  std::vector<LicenseRun> runs;
  LicenseRun run;
  auto emit = [&runs](const LicenseRun& r) {
    if (!r.text.empty()) runs.push_back(r);
  };
  for (const LicenseSegment& segment : segments) {
    if (run.text.empty()) {
      run.text = segment.text;
      run.is_link = segment.is_link;
      run.width = measure->Width(run.text);
    } else if (segment.is_link == run.is_link) {
      const std::wstring joined = run.text + segment.text;
      const int joined_width = measure->Width(joined);
      if (run.x + joined_width > line_width) {
        emit(run);
        run = LicenseRun{segment.text, segment.is_link, run.line + 1,
                         measure->Width(segment.text), 0};
      } else {
        run.text = joined;
        run.width = joined_width;
      }
    } else {
      emit(run);
      const int width = measure->Width(segment.text);
      LicenseRun next{segment.text, segment.is_link, run.line, width, run.x + run.width};
      if (run.x + run.width + width > line_width) {
        next.line = run.line + 1;
        next.x = 0;
      }
      run = next;
    }
  }
  emit(run);
  return runs;
}

}  // namespace lite_installer
