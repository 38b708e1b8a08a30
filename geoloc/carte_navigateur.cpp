#include "geoloc/carte_navigateur.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace orlavine::geoloc {

namespace {

// The longest number at the start of `texte` (C notation, optional minus sign).
std::optional<double> NombreEnTete(std::string_view texte) {
    double v = 0;
    const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), v);
    if (erreur != std::errc() || fin == texte.data() || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool PositionValide(double latitude, double longitude) {
    return std::abs(latitude) <= 90.0 && std::abs(longitude) <= 180.0;
}

// "LAT<sep>LON..." -> the two numbers, when both read and are a position.
bool DeuxNombres(std::string_view texte, char separateur, double& latitude, double& longitude) {
    const auto coupure = texte.find(separateur);
    if (coupure == std::string_view::npos) return false;
    const auto lat = NombreEnTete(texte.substr(0, coupure));
    const auto lon = NombreEnTete(texte.substr(coupure + 1));
    if (!lat || !lon || !PositionValide(*lat, *lon)) return false;
    latitude = *lat;
    longitude = *lon;
    return true;
}

} // namespace

std::string TexteDegresUrl(double degres) {
    char tampon[64];
    const auto [fin, erreur] = std::to_chars(tampon, tampon + sizeof tampon, degres);
    if (erreur != std::errc()) return "0";
    return std::string(tampon, fin);
}

std::string UrlCarteLieu(double latitude, double longitude) {
    const std::string lat = TexteDegresUrl(latitude);
    const std::string lon = TexteDegresUrl(longitude);
    return std::string(SiteCarte) + "/?mlat=" + lat + "&mlon=" + lon +
           "#map=" + std::to_string(ZoomCarteLieu) + "/" + lat + "/" + lon;
}

std::string UrlCarteRecherche(std::string_view texte) {
    std::string url(SiteCarte);
    url += "/search?query=";
    for (const char c : texte) {
        const auto o = static_cast<unsigned char>(c);
        // Unreserved characters and the punctuation of place texts stay; UTF-8 bytes and
        // everything that means something in an address are encoded.
        const bool garde = (o >= 'a' && o <= 'z') || (o >= 'A' && o <= 'Z') ||
                           (o >= '0' && o <= '9') || c == '-' || c == '_' || c == '.' || c == '~' ||
                           c == ',' || c == ';' || c == '\'' || c == '(' || c == ')';
        if (garde) {
            url += c;
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", o);
            url += code;
        }
    }
    return url;
}

bool GetCorURL(std::string_view url, double& latitude, double& longitude) {
    if (const auto arobase = url.find('@'); arobase != std::string_view::npos)
        return DeuxNombres(url.substr(arobase + 1), ',', latitude, longitude);
    // "map=ZOOM/LAT/LON", in the fragment (or the query) of the address.
    if (const auto carte = url.find("map="); carte != std::string_view::npos) {
        const std::string_view reste = url.substr(carte + 4);
        const auto barre = reste.find('/');
        if (barre == std::string_view::npos || !NombreEnTete(reste.substr(0, barre))) return false;
        return DeuxNombres(reste.substr(barre + 1), '/', latitude, longitude);
    }
    return false;
}

} // namespace orlavine::geoloc
