// Fuzzing of the commune lookup on a table and a typed text that both come from the input:
// the prefix search's binary-search start gives the very list of the plain scan, in the same
// order, whatever the names (sorted or not, high bytes, prefixes of one another), the range
// and the mode; every index it gives is in the table and in the range; the department name
// of any code is read within the list; the typed-text analysis and the labels never fail;
// the forgiving search keeps every strict answer as it is.
#include "atlas/carte_france.h"
#include "atlas/fichiers.h"
#include "atlas/recherche.h"
#include "atlas/saisie.h"
#include "tests/fuzz/verifie.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

namespace {

using namespace orlavine;

void ComparePrefixeEtBalayage(const TCarteFrance& carte, const AnsiString& texte, int fin,
                              int debut, int mode) {
    std::vector<std::uint16_t> rapide, balayage;
    carte.RechercheCommunes(rapide, texte, fin, debut, mode);
    carte.RechercheCommunesLineaire(balayage, texte, fin, debut, mode);
    EXIGE(rapide == balayage);
    const int n = static_cast<int>(carte.Communes.size());
    const int bas = debut == -1 ? 0 : std::clamp(debut, 0, n);
    const int haut = fin == -1 ? n : std::clamp(fin, 0, n);
    for (std::uint16_t i : rapide)
        EXIGE(i >= bas && i < haut);
    EXIGE(std::is_sorted(rapide.begin(), rapide.end()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    FuzzedDataProvider entree(donnees, taille);
    const int mode = entree.ConsumeIntegralInRange(0, 3);
    const int debut = entree.ConsumeIntegralInRange(-2, 40);
    const int fin = entree.ConsumeIntegralInRange(-2, 40);
    const bool trier = entree.ConsumeBool();
    AnsiString texte = entree.ConsumeRandomLengthString(24);
    const AnsiString code = entree.ConsumeRandomLengthString(6);

    std::vector<TCommune> communes(entree.ConsumeIntegralInRange<std::size_t>(0, 40));
    for (TCommune& c : communes) {
        c.Nom = entree.ConsumeRandomLengthString(16);
        c.Article = entree.ConsumeBool() ? "LE" : "";
        c.CodeInsee = entree.ConsumeRandomLengthString(6);
        c.Rang = entree.ConsumeIntegral<std::uint8_t>();
    }
    if (trier)
        std::stable_sort(communes.begin(), communes.end(),
                         [](const TCommune& a, const TCommune& b) { return a.Nom < b.Nom; });
    std::vector<AnsiString> noms;
    for (int n = 1; n <= NombreDepartements; ++n)
        noms.push_back("D" + std::to_string(n));
    const TCarteFrance carte({}, communes, noms);

    ComparePrefixeEtBalayage(carte, texte, fin, debut, mode);
    ComparePrefixeEtBalayage(carte, texte, -1, -1, SaisieNom);
    // As the communes page does it: the typed text analysed, then searched in its mode.
    const int type = AnalyserSaisie(texte);
    ComparePrefixeEtBalayage(carte, texte, -1, -1, type);
    // The forgiving search: the strict answer unchanged whenever there is one, and only
    // indexes of the table, each once.
    const TResultatRecherche tolerante = RechercheTolerante(carte, texte, type);
    std::vector<std::uint16_t> stricte;
    carte.RechercheCommunes(stricte, OteCharFin(texte, '*'), -1, -1, type);
    if (type == SaisieNom && !stricte.empty()) EXIGE(tolerante.Communes == stricte);
    std::vector<std::uint16_t> uniques = tolerante.Communes;
    std::sort(uniques.begin(), uniques.end());
    EXIGE(std::adjacent_find(uniques.begin(), uniques.end()) == uniques.end());
    for (std::uint16_t i : uniques)
        EXIGE(i < communes.size());

    // "D" and at most two digits, or nothing for a code that names no department.
    EXIGE(carte.NomDepartement(code).size() <= 3);
    for (std::size_t i = 0; i < communes.size(); ++i)
        carte.NomOfficiel(static_cast<int>(i));
    return 0;
}
