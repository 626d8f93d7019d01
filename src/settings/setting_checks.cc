// Checks of the output folder, conTasks and needShutdown, and the messages
// of refusal.
#include "settings/setting_checks.h"

#include <charconv>
#include <cmath>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/translate.h"

namespace cw {
namespace {

std::wstring Decimal(int32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::wstring(buffer, result.ptr);
}

// The whole number a JSON number or text holds in decimal ("3", "3.0",
// "1e1"); nothing for a fraction, another form (hex, a sign '+', blanks) or
// a value beyond the 32-bit range.
std::optional<int64_t> WholeNumberOf(const JsonValue& value) {
  if (value.GetType() != JsonNumber && value.GetType() != JsonString) return std::nullopt;
  const std::wstring& text = value.AsString();
  std::string ascii;
  for (wchar_t c : text) {
    if (c > 0x7E) return std::nullopt;
    ascii += static_cast<char>(c);
  }
  double number = 0;
  auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), number);
  if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(number)) return std::nullopt;
  if (number != std::trunc(number) || std::fabs(number) > 2147483647.0) return std::nullopt;
  return static_cast<int64_t>(number);
}

}  // namespace

std::optional<int32_t> ConTasksOf(const JsonValue& value) {
  std::optional<int64_t> number = WholeNumberOf(value);
  if (!number || *number < kMinConTasks || *number > kMaxConTasks) return std::nullopt;
  return static_cast<int32_t>(*number);
}

std::optional<int32_t> NeedShutdownOf(const JsonValue& value) {
  if (value.GetType() == JsonBoolean) return value.AsString() == L"true" ? 1 : 0;
  std::optional<int64_t> number = WholeNumberOf(value);
  if (!number || (*number != 0 && *number != 1)) return std::nullopt;
  return static_cast<int32_t>(*number);
}

std::wstring OutputFolderProblem(const std::wstring& folder) {
  if (folder.empty()) return Tr(L"no folder is given");
  // The system's own rule: "/" on Linux, a drive or a share on Windows.
  if (!IsFullPath(folder)) return Fill(Tr(L"it is not a full path (%1)"), {Tr(FullPathRule())});
  if (folder.find(L'\0') != std::wstring::npos) return Tr(L"it holds a zero character");
  if (IsDirectory(folder)) {
    return IsWritableDirectory(folder) ? std::wstring() : Tr(L"the folder cannot be written");
  }
  if (FileExists(folder)) return Tr(L"it is a file, not a folder");
  // The walk up starts from the folder as the platform writes it.
  for (std::wstring parent = ParentFolderOf(MakeAbsolutePath(folder)); !parent.empty();
       parent = ParentFolderOf(parent)) {
    if (IsDirectory(parent)) {
      if (IsWritableDirectory(parent)) return std::wstring();
      return Fill(Tr(L"it cannot be created: %1 cannot be written"), {parent});
    }
    if (FileExists(parent)) return Fill(Tr(L"it cannot be created: %1 is a file, not a folder"), {parent});
  }
  return Tr(L"it cannot be created");
}

std::wstring RefusedOutputFolderMessage(const std::wstring& refused, const std::wstring& problem,
                                        const std::wstring& kept) {
  return Fill(Tr(L"The output folder \"%1\" is not used: %2.\nThe output folder stays \"%3\"."),
              {refused, problem, kept});
}

std::wstring RefusedConTasksMessage(const std::wstring& refused, int32_t kept) {
  return Fill(Tr(L"The number of conversions at once must be a whole number from %1 to %2; \"%3\" is not used.\n"
                  "It stays %4."),
              {Decimal(kMinConTasks), Decimal(kMaxConTasks), refused, Decimal(kept)});
}

std::wstring RefusedNeedShutdownMessage(const std::wstring& refused, int32_t kept) {
  return Fill(Tr(L"Shutting the computer down when the conversions are done must be 0 (off) or 1 (on); "
                  "\"%1\" is not used.\nIt stays %2."),
              {refused, Decimal(kept)});
}

}  // namespace cw
