// The place record the world map page works on. Until the genealogy base provides it, this
// is a copy of its shape (same names, same meaning).
#pragma once

#include <string>

namespace orlavine {

inline constexpr int EtatLocalise = 0;
inline constexpr int EtatNonLocalise = 1;
inline constexpr int EtatLocaliseLu = 2;
inline constexpr int EtatHorsTable = 3;      // not located yet; not in the table
inline constexpr int EtatPlaceALaMain = 4;   // chosen by the user on the map
inline constexpr int EtatAdresseTrouvee = 5; // found by an address search
inline constexpr int EtatCommunePays = 6;    // the commune's position from the country file
inline constexpr int EtatValide = 7;         // validated by the user

struct SGeoChps {
    int IdPlace = 0;         // record number in the places file, from 1
    std::string LieuDit;     // empty for the place itself
    std::string AdresseRech; // the search address the user chose; empty when none
    double Latitude = 0;     // degrees; 0 when not located
    double Longitude = 0;
    int Etat = EtatNonLocalise;
};

} // namespace orlavine
