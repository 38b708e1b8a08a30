// Search keys of the geocoder: the form in which every name is compared.
#pragma once

#include <string>
#include <string_view>

namespace orlavine::geocodeur {

// The search key of a UTF-8 name: Latin letters upper case without accents or ligatures
// ("Œ" -> "OE", "ß" -> "SS"), digits kept, every other run of characters (spaces, hyphens,
// apostrophes, punctuation) turned into one space, no space at either end. The words "ST"
// and "STE" become "SAINT" and "SAINTE"; an article written after the name in parentheses
// goes back in front: "Havre (Le)" -> "LE HAVRE". Letters of other scripts are kept as
// they are (their UTF-8 bytes); bytes that are not UTF-8 count as Windows-1252.
//   "Saint-Étienne-du-Rouvray" -> "SAINT ETIENNE DU ROUVRAY", "L'Isle-Adam" -> "L ISLE ADAM"
std::string Cle(std::string_view texte);

// True when the key holds only ASCII (letters of Latin script once accents are removed).
bool CleLatine(std::string_view cle);

} // namespace orlavine::geocodeur
