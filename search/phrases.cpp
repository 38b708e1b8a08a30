#include "search/phrases.h"

#include <string>

namespace orlavine {

AnsiString TexteRayon(int rayonKm) {
    return "S\xE9lection : " + std::to_string(rayonKm) + " km";
}

AnsiString PhraseCommuneSel(const TCarteFrance& carte, int indexCommune, int rayonKm) {
    if (indexCommune < 0 || static_cast<std::size_t>(indexCommune) >= carte.Communes.size())
        return {};
    const TCommune& com = carte.Communes[indexCommune];
    // A delegated, associated or former commune says what it is after its name; it has no
    // postal code of its own.
    const AnsiString qualificatif = carte.QualificatifCommune(indexCommune);
    return carte.NomOfficiel(indexCommune) + (qualificatif.empty() ? "" : ", " + qualificatif) +
           ", code INSEE : " + com.CodeInsee +
           (com.CodePostal.empty() && !qualificatif.empty() ? ""
                                                            : ", code Postal : " + com.CodePostal) +
           ", du d\xE9partement " + carte.NomDepartement(com.CodeInsee) +
           ", est entour\xE9"
           "e de " +
           std::to_string(carte.CommunesVoisines.size()) + " communes \xE0 moins de " +
           std::to_string(rayonKm) + " km.";
}

AnsiString PhraseComVois(const AnsiString& nomVoisine, const AnsiString& distance,
                         const AnsiString& nomVille) {
    return LowerChaineAS(nomVoisine, MinusculesNomPropre) + " est \xE0 " + distance + " de " +
           LowerChaineAS(nomVille, MinusculesNomPropre) + ".";
}

AnsiString TexteVillePourLieu(const AnsiString& lieu) {
    if (!lieu.empty() && lieu.find(';') != AnsiString::npos)
        return OteBlancsFin(OteBlancsDebut(EltNo(1, lieu, ';')));
    return lieu;
}

AnsiString TexteVilleVoisine(const TLigneVoisine& ligne) {
    return ligne.Code + " " + ligne.Nom;
}

std::optional<TNavigation> Navigation(int touche, int i, int n) {
    if (n <= 0) return std::nullopt;
    if (i < 0) i = 0;
    if (i > n - 1) i = n - 1;
    switch (touche) {
    case ToucheHaut:
        return TNavigation{i > 0 ? i - 1 : 0, true};
    case ToucheBas:
        return TNavigation{i < n - 1 ? i + 1 : n - 1, true};
    case TouchePageHaut:
        return TNavigation{i >= 10 ? i - 10 : 0, true};
    case TouchePageBas:
        // With exactly 10 entries from the selection to the end, i + 10 would be past the
        // last one: the last entry is the furthest a page goes.
        return TNavigation{i + 10 <= n - 1 ? i + 10 : n - 1, true};
    case ToucheDebut:
        return TNavigation{0, false};
    case ToucheFin:
        return TNavigation{n - 1, false};
    default:
        return std::nullopt;
    }
}

} // namespace orlavine
