// Building DeviceObject and FormatObject records from the catalog JSON.
#include "catalog/catalog_file.h"
#include "catalog/device_catalog.h"
#include "json/json_value.h"
#include "platform/translate.h"

namespace cw {
namespace {

template <typename Record>
struct Field {
  const wchar_t* key;
  std::wstring Record::*member;
};

constexpr Field<DeviceObject> kDeviceFields[] = {
    {L"id", &DeviceObject::id}, {L"name", &DeviceObject::name}, {L"desc", &DeviceObject::desc}};

constexpr Field<FormatObject> kQualityFields[] = {
    {L"id", &FormatObject::id},
    {L"name", &FormatObject::name},
    {L"desc", &FormatObject::desc},
    {L"ext", &FormatObject::ext},
    {L"solution", &FormatObject::solution},
    {L"videoKBS", &FormatObject::videoKBS},
    {L"audioBitrate", &FormatObject::audioBitrate},
    {L"h264Profile", &FormatObject::h264Profile},
    {L"h264Level", &FormatObject::h264Level},
    {L"pixelFormat", &FormatObject::pixelFormat},
    {L"maxFrameRate", &FormatObject::maxFrameRate},
    {L"audioChannels", &FormatObject::audioChannels},
    {L"fit", &FormatObject::fit},
    {L"crf", &FormatObject::crf},
    {L"videoBuffer", &FormatObject::videoBuffer},
};

// Sets the text field named like `member`, if there is one. A later member of
// the same name overwrites an earlier one.
template <typename Record, size_t N>
bool SetField(const Field<Record> (&fields)[N], const JsonValue& member, Record* record) {
  const std::wstring& name = member.GetName();
  for (const auto& f : fields) {
    if (name == f.key) {
      record->*(f.member) = member.AsString();
      return true;
    }
  }
  return false;
}

bool IsArray(const JsonValue& value) { return value.GetType() == JsonArray; }

// A quality from one "DeviceAry" element. An element that is no object keeps
// empty fields: array elements have no names, scalars no members.
FormatObject ReadQuality(const JsonValue& element) {
  FormatObject quality;
  for (const JsonValue& member : element) SetField(kQualityFields, member, &quality);
  return quality;
}

DeviceObject ReadDevice(const JsonValue& element) {
  DeviceObject device;
  for (const JsonValue& member : element) {
    if (SetField(kDeviceFields, member, &device)) continue;
    if (member.GetName() == L"DeviceAry" && IsArray(member)) {
      // Repeated "DeviceAry" members add their qualities after the earlier ones.
      for (const JsonValue& quality : member) device.formats.push_back(ReadQuality(quality));
    }
  }
  return device;
}

void ReadRoot(const JsonValue& root, DeviceCatalog* catalog) {
  for (const JsonValue& member : root) {
    const std::wstring& name = member.GetName();
    if (name == L"ProgramName") {
      catalog->product_name = member.AsString();
    } else if (name == L"Version") {
      catalog->version = member.AsString();
    } else if (name == L"Devices" && IsArray(member)) {
      for (const JsonValue& element : member) catalog->devices.push_back(ReadDevice(element));
    }
  }
}

}  // namespace

bool HasDeviceConstraints(const FormatObject& format) {
  return !format.h264Profile.empty() || !format.h264Level.empty() || !format.pixelFormat.empty() ||
         !format.maxFrameRate.empty() || !format.audioChannels.empty() || !format.fit.empty() ||
         !format.crf.empty() || !format.videoBuffer.empty();
}

void BuildCatalog(const std::wstring& text, DeviceCatalog* catalog, std::vector<std::wstring>* messages) {
  if (text.size() < kMinCatalogTextLength) return;
  catalog->text = text;
  try {
    const JsonValue root = JsonValue::Parse(text);
    ReadRoot(root, catalog);
  } catch (...) {
    // A text the parser rejects, or running out of memory: keep what was built.
    messages->push_back(Tr(kCatalogExceptionMessage));
  }
}

void ReadCatalog(const std::wstring& path, DeviceCatalog* catalog, std::vector<std::wstring>* messages) {
  BuildCatalog(ReadCatalogText(path, messages), catalog, messages);
}

}  // namespace cw
