// Addresses of the public map site shown on the browser page, and the position read back
// from the address the browser shows. No toolkit here.
//
// The site is www.openstreetmap.org: a place opens as "/?mlat=LAT&mlon=LON#map=17/LAT/LON"
// (a marker on the point), a text as "/search?query=TEXT"; while the user moves the map the
// site rewrites the end of its address to "#map=ZOOM/LAT/LON". Addresses of the form
// ".../@LAT,LON,17z/..." (other map sites) are read as well.
#pragma once

#include <string>
#include <string_view>

namespace orlavine::geoloc {

inline constexpr std::string_view SiteCarte = "https://www.openstreetmap.org";
inline constexpr int ZoomCarteLieu = 17;

// A position in degrees as the addresses write it: a point, the shortest decimal that reads
// back as the same double ("48.8583701", "-0.5", "2").
std::string TexteDegresUrl(double degres);

// The page of a point (degrees), with its marker.
std::string UrlCarteLieu(double latitude, double longitude);
// The search page of a text (UTF-8): spaces become "%20", and every character that would end
// or cut the query ('#', '&', '?', '%', '+', '/', control characters...) is percent-encoded.
std::string UrlCarteRecherche(std::string_view texte);

// The position a map site address carries: after its first '@' ("@48.8583701,2.2944813,17z")
// or in its "map=ZOOM/LAT/LON" part. True, and latitude and longitude written, only when both
// read as finite numbers within ±90 and ±180; otherwise both are left as they are.
bool GetCorURL(std::string_view url, double& latitude, double& longitude);

} // namespace orlavine::geoloc
