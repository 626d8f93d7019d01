// The engine's reasons and their translation for people.
#include "tasks/reason_texts.h"

#include <algorithm>

#include "analysis/run_verdict.h"
#include "platform/translate.h"
#include "tasks/encoder_runner.h"
#include "tasks/output_check.h"
#include "tasks/task_view.h"

namespace cw {

const std::vector<const wchar_t*>& ReasonTexts() {
  static const std::vector<const wchar_t*> texts = {
      kSourceUnreadableReason, kNoVideoStreamReason,     kStillImageReason,      kSourceEndedEarlyReason,
      kNoProfileReason,        kRunStoppedReason,        kEncoderExitReason,     kEncoderSignalReason,
      kNoPipeReason,           kEncoderNotStartedReason, kOutputNotNamedReason,  kOutputFolderReason,
      kOutputMissingReason,    kOutputUnreadableReason,  kStoppedByAnotherProgram, kNoProgressFor,
      kSourceStillWrittenReason, kSourceChangedReason,
      kDiskFullReason,
  };
  return texts;
}

namespace {

// The place number of a "%N" at `at` in `pattern` (1..9), or 0.
int PlaceAt(const std::wstring& pattern, size_t at) {
  if (at + 1 >= pattern.size() || pattern[at] != L'%') return 0;
  wchar_t digit = pattern[at + 1];
  return digit >= L'1' && digit <= L'9' ? digit - L'0' : 0;
}

}  // namespace

bool MatchPattern(const std::wstring& pattern, const std::wstring& text, std::vector<std::wstring>* values) {
  std::vector<std::pair<int, std::wstring>> found;
  size_t p = 0, t = 0;
  while (p < pattern.size()) {
    int place = PlaceAt(pattern, p);
    if (place == 0) {
      if (t >= text.size() || text[t] != pattern[p]) return false;
      ++p;
      ++t;
      continue;
    }
    // The literal piece after the place, up to the next place or the end.
    size_t next = p + 2;
    while (next < pattern.size() && PlaceAt(pattern, next) == 0) ++next;
    std::wstring piece = pattern.substr(p + 2, next - p - 2);
    size_t end;
    if (next == pattern.size()) {
      // The last piece ends the text.
      if (text.size() < t + 1 + piece.size() || text.compare(text.size() - piece.size(), piece.size(), piece) != 0) {
        return false;
      }
      end = text.size() - piece.size();
    } else {
      if (piece.empty()) return false;  // two places side by side cannot be told apart
      end = text.find(piece, t + 1);
      if (end == std::wstring::npos) return false;
    }
    found.emplace_back(place, text.substr(t, end - t));
    t = end + piece.size();
    p = next;
  }
  if (t != text.size()) return false;
  values->assign(9, std::wstring());
  size_t count = 0;
  for (auto& [place, value] : found) {
    (*values)[static_cast<size_t>(place - 1)] = std::move(value);
    count = std::max(count, static_cast<size_t>(place));
  }
  values->resize(count);
  return true;
}

std::wstring ReasonForPeople(const std::wstring& english) {
  std::vector<std::wstring> v;
  for (const wchar_t* pattern : ReasonTexts()) {
    if (!MatchPattern(pattern, english, &v)) continue;
    std::wstring text = Tr(pattern);
    switch (v.size()) {
      case 0: return text;
      case 1: return Fill(text, {v[0]});
      default: return Fill(text, {v[0], v[1]});
    }
  }
  return english;
}

}  // namespace cw
