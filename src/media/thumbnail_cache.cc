// Names and keys of the shared thumbnail cache.
#include "media/thumbnail_cache.h"

#include <cryptopp/hex.h>
#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/md5.h>

#include <map>

#include "media/png_text.h"
#include "platform/file_facts.h"
#include "platform/text.h"

namespace cw {
namespace {

bool KeptInUri(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("/-._~!$&'()*+,;=:@").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string ThumbnailUriOfPath(const std::wstring& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (char byte : WideToSystem(path)) {
    const auto c = static_cast<unsigned char>(byte);
    if (KeptInUri(c)) {
      uri += byte;
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

std::string Md5Hex(const std::string& bytes) {
  CryptoPP::Weak::MD5 hash;
  unsigned char digest[CryptoPP::Weak::MD5::DIGESTSIZE];
  hash.CalculateDigest(digest, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char b : digest) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return hex;
}

std::wstring NormalThumbnailFolder() {
  std::wstring cache = EnvironmentText("XDG_CACHE_HOME");
  if (cache.empty() || cache[0] != L'/') {
    const std::wstring home = EnvironmentText("HOME");
    if (home.empty()) return L"";
    cache = home + L"/.cache";
  }
  return cache + L"/thumbnails/normal";
}

std::wstring ThumbnailPathIn(const std::wstring& folder, const std::string& uri) {
  return folder + L"/" + SystemToWide(Md5Hex(uri)) + L".png";
}

bool ThumbnailMatches(const std::string& png, const std::string& uri, int64_t mtime) {
  std::map<std::string, std::string> pairs;
  if (!ReadPngText(png, &pairs)) return false;  // a damaged file is made again
  auto found_uri = pairs.find("Thumb::URI");
  auto found_mtime = pairs.find("Thumb::MTime");
  return found_uri != pairs.end() && found_uri->second == uri && found_mtime != pairs.end() &&
         found_mtime->second == std::to_string(mtime);
}

std::string WithThumbnailKeys(const std::string& png, const std::string& uri, int64_t mtime) {
  std::string out;
  if (!AddPngText(png, {{"Thumb::URI", uri}, {"Thumb::MTime", std::to_string(mtime)}}, &out)) return "";
  return out;
}

}  // namespace cw
