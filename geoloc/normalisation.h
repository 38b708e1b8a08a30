// The text handed to an address search: a place of the database, or an address typed by the
// user, made into one line whose parts are joined with " ; ".
#pragma once

#include <string>
#include <string_view>

namespace orlavine::geoloc {

// The parts of a place of the database, as the host's places file gives them (UTF-8).
struct TPartiesLieu {
    std::string Ville;
    std::string Region;
    std::string Pays;
    std::string Code; // the commune code the database stores with the town
};

// What the normalisation needs of the host: its places file, its default country and its
// country file. The genealogy base implements it; tests give their own.
class IServicesLieux {
public:
    virtual ~IServicesLieux() = default;
    // The parts of place `idLieu` (never called with 0); empty parts when there is none.
    virtual TPartiesLieu PartiesLieu(int idLieu) const = 0;
    // The host's default country name; may be empty.
    virtual std::string PaysParDefaut() const = 0;
    // The postal code of a commune of the country file ("" when it has no such commune), and
    // its position written into longitude and latitude (left as they are when it has none).
    virtual std::string GetCPByCom(const std::string& ville, const std::string& code,
                                   const std::string& codePays, double& longitude,
                                   double& latitude) const = 0;
};

// Free text: the pieces of the text between its separators (";" if it has one, else ",",
// else " "), each kept as " ; " + piece except postal codes (pieces of 5 characters or more
// that are a 32-bit integer once their blanks are trimmed). A text with none of the three
// separators comes back unchanged.
std::string DeleteCodePostal(std::string_view texte);

// A place: "[lieu-dit ; ]town; [code ; ]region ; country". For a French place the code is
// replaced by the postal code of the country file, which also writes the commune's position
// into longitude and latitude (degrees); otherwise they are not touched.
std::string NormalizePlace(const IServicesLieux& services, int idLieu, std::string_view lieuDit,
                           double& longitude, double& latitude);

// The search text of an address: idLieu -1 gives DeleteCodePostal(adresse) and leaves the
// coordinates alone; any other id gives NormalizePlace(idLieu, lieuDit).
std::string NormalizeAddress(const IServicesLieux& services, double& longitude, double& latitude,
                             std::string_view adresse, int idLieu, std::string_view lieuDit);

} // namespace orlavine::geoloc
