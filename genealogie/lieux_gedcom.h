// GEDCOM places: the jurisdictions of a PLAC text (after its FORM, or recognised from the
// French layouts met in exported files) and the coordinates of MAP.LATI/LONG. Toolkit-free.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {

// One slot of a place's jurisdiction list.
enum class Juridiction : std::uint8_t {
    Inconnue, // a label we do not use (kept in the text, not in the parts)
    LieuDit,
    Commune,
    CodeInsee,
    CodePostal,
    Departement,
    Region,
    Pays,
};

// The parts of one place, UTF-8, trimmed. A 5-digit code recognised from the content alone
// (no FORM label for it) goes into CodePostal, unless it has the Corsican form (2A/2B).
struct PartiesLieu {
    std::string LieuDit;
    std::string Commune;
    std::string CodeInsee;
    std::string CodePostal;
    std::string Departement;
    std::string Region;
    std::string Pays;

    bool operator==(const PartiesLieu&) const = default;
};

// True when the UTF-8 name is a commune the caller knows (the program fills this with its
// atlas; this library has none).
using TestCommune = std::function<bool(std::string_view nom)>;

// The slots of a FORM value ("Lieudit, Commune, Code_INSEE, Département, Région, Pays"),
// labels compared without case, accents, spaces, '-' or '_'.
std::vector<Juridiction> LitFormeLieu(std::string_view forme);

// Splits a place text into its parts. `forme` empty: the layout is recognised from the content
// (lieu-dit first or last, "[Lieu-dit] - Commune", a 5-digit code; `estCommune`, when given,
// settles which element is the town). `texteLieu`, when given, receives the place record's text:
// the place without its lieu-dit slot (empty or not), the remaining elements trimmed and joined
// by ", ", trailing empty elements dropped.
PartiesLieu DecoupeLieu(std::string_view texte, const std::vector<Juridiction>& forme,
                        const TestCommune& estCommune = {}, std::string* texteLieu = nullptr);

// Reads a latitude or longitude in the forms met in files: "N48.8566", "E2.35", "-2.35",
// "48.85N", "2,35E" (decimal comma), with spaces around. `lettre` receives the hemisphere
// letter ('N', 'S', 'E', 'W', upper case) or 0 when there was none. No value when unreadable.
std::optional<double> LitCoordonnee(std::string_view valeur, char& lettre);

// A position some programs append to the place text, degrees, minutes and seconds:
// "Philadelphie, 395945N0751013W". True when the text ends with one; `reste` is then the text
// before it, without the separator.
bool LitCoordonneesTexte(std::string_view texte, double& latitude, double& longitude,
                         std::string_view& reste);

// "N48.8566", "W1.5": hemisphere letter, at most 6 decimals, trailing zeros dropped (one kept).
std::string EcritLatitude(double latitude);
std::string EcritLongitude(double longitude);

} // namespace orlavine
