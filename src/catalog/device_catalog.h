// The device catalog: the target devices with their quality profiles, built
// from the catalog JSON text of data.dat, and the lookups the rest of the
// program uses.
//
// Catalog JSON: a root object whose members "ProgramName" and "Version" give
// the product texts and whose "Devices" array lists the devices; each device
// has "id", "name", "desc" and a "DeviceAry" array of qualities with "id",
// "name", "desc", "ext", "solution", "videoKBS" and "audioBitrate", and
// optionally the device constraints "h264Profile", "h264Level", "pixelFormat",
// "maxFrameRate", "audioChannels", "fit", "crf" and "videoBuffer" (see
// catalog/README.md). Member
// names match exactly, other members are ignored, every member is optional,
// and every value is taken as JsonValue::AsString gives it (a number gives its
// source text, an array or object "").
//
// Each program reads its catalog once at start-up (ReadCatalog of
// CatalogFilePath()), shows the messages of that read, and hands the catalog
// to its engine; it is read-only from then on. Nothing here is process-wide.
// The catalog keeps the product name and version (product_name, version).
#pragma once

#include <string>
#include <vector>

#include "platform/translate.h"

namespace cw {

// Messages of the model, shown exactly like this.
inline constexpr wchar_t kCatalogExceptionMessage[] = N_(L"Exception catch!");
inline constexpr wchar_t kDeviceNotFoundMessage[] = N_(L"can't find device!");
inline constexpr wchar_t kQualityNotFoundMessage[] = N_(L"can't find quality!");

// One quality profile of a device: what goes onto the encoder command line.
struct FormatObject {
  std::wstring id;            // key of the quality lookup ("Normal")
  std::wstring name;          // display name
  std::wstring desc;
  std::wstring ext;           // read by the page only
  std::wstring solution;      // output frame size "WxH"
  std::wstring videoKBS;      // video bit rate in kbit/s, a number without unit
  std::wstring audioBitrate;  // audio bit rate in kbit/s, a number without unit

  // Device constraints, each empty when the catalog does not give it. A
  // profile without any of them is encoded exactly as the plain profile
  // options say (-s, -b:v, -b:a); see HasDeviceConstraints.
  std::wstring h264Profile;    // H.264 profile the device decodes: "baseline", "main", "high"
  std::wstring h264Level;      // H.264 level, "3.0" ... "5.2"
  std::wstring pixelFormat;    // picture format of the output, "yuv420p" (8-bit 4:2:0)
  std::wstring maxFrameRate;   // highest frame rate the device plays, frames per second
  std::wstring audioChannels;  // most audio channels kept; more are mixed down
  std::wstring fit;            // "inside": keep the shape, fit inside `solution`, never enlarge
  // Constant picture quality: an x264 CRF ("21"); `videoKBS` is then the
  // ceiling of the rate, not its target. Empty: the rate is the target.
  std::wstring crf;
  std::wstring videoBuffer;  // the decoder's buffer in kbit for the ceiling; empty: twice `videoKBS`
};

// True when the profile carries any device constraint.
bool HasDeviceConstraints(const FormatObject& format);

// One target device and its qualities, in catalog order.
struct DeviceObject {
  std::wstring id;  // key of the device lookups
  std::wstring name;
  std::wstring desc;
  std::vector<FormatObject> formats;
};

// A loaded catalog. Once loaded it is not changed, so pointers into it stay
// valid for its lifetime and any number of threads may read it.
struct DeviceCatalog {
  std::vector<DeviceObject> devices;  // in catalog order, one per "Devices" element
  std::wstring text;                  // the catalog text as decoded (empty when too short)
  std::wstring product_name;          // "ProgramName", empty when absent
  std::wstring version;               // "Version", empty when absent
};

// A text shorter than this is no catalog (the fallback "{}" among them).
inline constexpr size_t kMinCatalogTextLength = 10;

// Builds `catalog`, which must be empty, from a catalog text. A text shorter
// than kMinCatalogTextLength leaves it empty. A text that does not parse, or
// any failure while building, appends kCatalogExceptionMessage to *messages
// and keeps the devices built so far. Any thread; no message is shown.
void BuildCatalog(const std::wstring& text, DeviceCatalog* catalog, std::vector<std::wstring>* messages);

// Reads the catalog file at `path` (see catalog_file.h) and builds `catalog`
// from it, appending the messages of both steps to *messages in order.
void ReadCatalog(const std::wstring& path, DeviceCatalog* catalog, std::vector<std::wstring>* messages);

// The first device whose id equals `id`, the letters A-Z compared without
// regard to case and every other character exactly; null when there is none
// (the caller says so: kDeviceNotFoundMessage). Any thread.
const DeviceObject* FindDevice(const DeviceCatalog& catalog, const std::wstring& id);

// The first quality `quality_id` of a device `device_id` (both compared like
// FindDevice). Devices that share an id are searched in order, so a later one
// can supply a quality an earlier one lacks. Null when there is none (the
// caller says so: kQualityNotFoundMessage). Any thread.
const FormatObject* FindQuality(const DeviceCatalog& catalog, const std::wstring& device_id,
                                const std::wstring& quality_id);

}  // namespace cw
