// The freedesktop thumbnail cache shared with the file managers: a source's
// thumbnail is $XDG_CACHE_HOME/thumbnails/normal/<MD5 of its file URI>.png
// (the cache home falls back to ~/.cache), valid when its Thumb::URI key is
// the source's URI and its Thumb::MTime key the source's modification time.
#pragma once

#include <cstdint>
#include <string>

namespace cw {

// The file URI of an absolute path: "file://" and the path's UTF-8 bytes with
// everything but letters, digits, "/" and -._~!$&'()*+,;=:@ percent-encoded
// in upper-case hex, as GLib writes it. Any thread.
std::string ThumbnailUriOfPath(const std::wstring& path);

// The 32 lower-case hex digits of the MD5 of `bytes`. Any thread.
std::string Md5Hex(const std::string& bytes);

// The cache's folder for normal-size thumbnails (128 pixels), from
// $XDG_CACHE_HOME, else $HOME/.cache; "" when neither is set.
std::wstring NormalThumbnailFolder();

// The thumbnail file of `uri` inside `folder` (which ends without "/").
std::wstring ThumbnailPathIn(const std::wstring& folder, const std::string& uri);

// True when the PNG bytes carry Thumb::URI == uri and Thumb::MTime == mtime.
bool ThumbnailMatches(const std::string& png, const std::string& uri, int64_t mtime);

// The PNG bytes with the Thumb::URI and Thumb::MTime keys added, or "" when
// they are no PNG.
std::string WithThumbnailKeys(const std::string& png, const std::string& uri, int64_t mtime);

}  // namespace cw
