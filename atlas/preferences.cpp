#include "atlas/preferences.h"

#include "host/courriel.h"
#include "host/erreur.h"
#include "host/ini.h"

#include <type_traits>
#include <variant>

namespace orlavine {

namespace {

constexpr const char* Section = "Graph";

// The seventeen keys of section "Graph", in the order they are read and written.
using ChampPreference = std::variant<bool TPreferencesCarte::*, TColor TPreferencesCarte::*,
                                     std::int32_t TPreferencesCarte::*>;
struct ClePreference {
    const char* Cle;
    ChampPreference Champ;
};
using P = TPreferencesCarte;
const ClePreference ClesPreferences[] = {
    {"Capital", &P::Capital},
    {"Prefecture", &P::Prefecture},
    {"Ss-Prefecture", &P::SsPrefecture},
    {"R3", &P::R3},
    {"R5", &P::R5},
    {"R8", &P::R8},
    {"R10", &P::R10},
    {"R12", &P::R12},
    {"R20", &P::R20},
    {"R50", &P::R50},
    {"R100", &P::R100},
    {"DisqueDegrade", &P::DisqueDegrade},
    {"Coul100km", &P::Coul100km},
    {"CoulCentral", &P::CoulCentral},
    {"Animation15s", &P::Animation15s},
    {"FondLegende", &P::FondLegende},
    {"PositionLegende", &P::PositionLegende},
};

// A colour is 0x00BBGGRR: anything in the high byte is not one.
constexpr long long CouleurMax = 0xFFFFFF;

} // namespace

std::filesystem::path CheminPrefGraphDefaut() {
    return DossierAppData() / "pref-graph.ini";
}

TPreferencesCarte PreferencesReparees(TPreferencesCarte p) {
    const TPreferencesCarte d;
    for (TColor TPreferencesCarte::*couleur : {&P::Coul100km, &P::CoulCentral, &P::FondLegende})
        if (static_cast<long long>(p.*couleur) > CouleurMax) p.*couleur = d.*couleur;
    if (p.PositionLegende < 0 || p.PositionLegende >= NombrePositionsLegende)
        p.PositionLegende = d.PositionLegende;
    return p;
}

TPreferencesCarte LitPreferencesCarte(const std::filesystem::path& cheminIni) {
    const TIniFile ini(cheminIni);
    TPreferencesCarte p;
    const TPreferencesCarte d;
    for (const auto& [cle, champ] : ClesPreferences) {
        std::visit(
            [&, cle = cle](auto membre) {
                using T = std::remove_reference_t<decltype(p.*membre)>;
                if constexpr (std::is_same_v<T, bool>) {
                    p.*membre = ini.ReadBool(Section, cle, d.*membre);
                } else if constexpr (std::is_same_v<T, TColor>) {
                    // Stored as a signed integer: -1 and the like are no colour.
                    const int v = ini.ReadInteger(Section, cle, static_cast<int>(d.*membre));
                    p.*membre = v >= 0 && v <= CouleurMax ? static_cast<TColor>(v) : d.*membre;
                } else {
                    p.*membre = ini.ReadInteger(Section, cle, d.*membre);
                }
            },
            champ);
    }
    return PreferencesReparees(p);
}

void EcritPreferencesCarte(const std::filesystem::path& cheminIni, const TPreferencesCarte& p) {
    const TPreferencesCarte valeurs = PreferencesReparees(p);
    // A fresh file: it holds exactly these keys, in this order.
    TIniFile fichier;
    for (const auto& [cle, champ] : ClesPreferences) {
        std::visit(
            [&, cle = cle](auto membre) {
                if constexpr (std::is_same_v<std::remove_cvref_t<decltype(valeurs.*membre)>, bool>)
                    fichier.WriteBool(Section, cle, valeurs.*membre);
                else
                    fichier.WriteInteger(Section, cle, static_cast<int>(valeurs.*membre));
            },
            champ);
    }
    std::string raison;
    if (EcritFichierTexteAtomique(cheminIni, fichier.Texte(), &raison)) return;
    // The writer names the file first; the message names it once.
    const std::string prefixe = cheminIni.string() + " : ";
    if (raison.compare(0, prefixe.size(), prefixe) == 0) raison.erase(0, prefixe.size());
    throw Erreur(cheminIni.string(), 0,
                 "impossible d'enregistrer les préférences de la carte (" + raison + ")");
}

int CoinLegende(int positionLegende) {
    switch (positionLegende) {
    case 0:
        return 0;
    case 1:
        return 8;
    case 2:
        return 6;
    case 3:
        return 7;
    case 4:
        return 5;
    default:
        return 6;
    }
}

} // namespace orlavine
