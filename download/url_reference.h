// Resolving a redirect's Location against the URL that was asked for.
#pragma once

#include <string>
#include <string_view>

namespace ov {

// An absolute reference is returned as is; "//host/x", "/x", "x", "?q" and "../x" are taken
// relative to `base` (dot segments removed).
std::string ResolveUrlReference(std::string_view base, std::string_view reference);
// "host:port" of a URL in lower case, the port defaulting by scheme; for telling hosts apart.
std::string UrlAuthority(std::string_view url);

}  // namespace ov

namespace ov {

// The file-name part of a path: what follows its last "/" or "\" (empty when it ends in one).
std::string LastPathSegment(std::string_view path);

}  // namespace ov
