#include "atlas/recherche.h"

#include "atlas/saisie.h"

#include <algorithm>
#include <array>

namespace orlavine {

namespace {

bool DebutDeMot(const AnsiString& texte, std::size_t i) {
    if (i == 0) return true;
    const char avant = texte[i - 1];
    return avant == '-' || avant == ' ' || avant == '\'' || avant == '*';
}

bool FinDeMot(const AnsiString& texte, std::size_t i) {
    return i >= texte.size() || texte[i] == '-' || texte[i] == ' ' || texte[i] == '\'';
}

bool EstChiffres(std::string_view texte) {
    return !texte.empty() &&
           std::all_of(texte.begin(), texte.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool CommencePar(std::string_view texte, std::string_view debut) {
    return texte.substr(0, debut.size()) == debut;
}

constexpr std::string_view Articles[] = {"LES-", "L'", "LE-", "LA-"};

// The names that begin with `texte` once the leading article is taken off both. Such a
// name begins with the text, or with an article and the text: the prefix searches of
// those few texts give every candidate, which the exact test then keeps or not.
void RechercheSansArticle(const TCarteFrance& carte, const AnsiString& texte,
                          std::vector<std::uint16_t>& resultats) {
    resultats.clear();
    if (texte.empty() || texte.front() == '*') return; // a star search ignores articles anyway
    const AnsiString cherche(SansArticle(OteBlancsFin(texte)));
    if (cherche.size() < 2) return;
    std::vector<std::uint16_t> candidats;
    auto ajoute = [&](const AnsiString& prefixe) {
        carte.RechercheCommunes(candidats, prefixe, -1, -1, SaisieNom);
        for (const std::uint16_t i : candidats)
            if (CommencePar(SansArticle(carte.Communes[i].Nom), cherche)) resultats.push_back(i);
    };
    ajoute(cherche);
    for (const std::string_view article : Articles)
        ajoute(AnsiString(article) + cherche);
    std::sort(resultats.begin(), resultats.end());
    resultats.erase(std::unique(resultats.begin(), resultats.end()), resultats.end());
}

// Appends, in table order, the communes not yet found with a postal code (their own or
// another of theirs) that begins with `chiffres`.
void AjouteCodesPostaux(const TCarteFrance& carte, const AnsiString& chiffres,
                        std::vector<std::uint16_t>& resultats) {
    std::vector<std::uint16_t> dejaTrouves = resultats;
    std::sort(dejaTrouves.begin(), dejaTrouves.end());
    // The other codes are few and by increasing index: their matches come out sorted.
    std::vector<std::uint16_t> parAutres;
    for (const TAutreCodePostal& a : carte.AutresCodesPostaux)
        if (CommencePar(a.Code, chiffres) && (parAutres.empty() || parAutres.back() != a.Index))
            parAutres.push_back(a.Index);
    for (std::size_t i = 0; i < carte.Communes.size(); ++i) {
        const auto index = static_cast<std::uint16_t>(i);
        if ((CommencePar(carte.Communes[i].CodePostal, chiffres) ||
             std::binary_search(parAutres.begin(), parAutres.end(), index)) &&
            !std::binary_search(dejaTrouves.begin(), dejaTrouves.end(), index))
            resultats.push_back(index);
    }
}

} // namespace

std::string_view SansArticle(std::string_view nom) {
    for (const std::string_view article : Articles)
        if (CommencePar(nom, article)) return nom.substr(article.size());
    return nom;
}

AnsiString DevelopperSaints(const AnsiString& texte) {
    // Longest abbreviation first, so that "STE" is not read as "ST" followed by "E".
    constexpr std::array<std::pair<std::string_view, std::string_view>, 4> Abreviations{{
        {"STE.", "SAINTE"},
        {"ST.", "SAINT"},
        {"STE", "SAINTE"},
        {"ST", "SAINT"},
    }};
    AnsiString resultat;
    std::size_t i = 0;
    while (i < texte.size()) {
        bool remplace = false;
        if (DebutDeMot(texte, i)) {
            for (const auto& [abreviation, mot] : Abreviations) {
                if (texte.compare(i, abreviation.size(), abreviation) != 0) continue;
                const std::size_t apres = i + abreviation.size();
                const bool point = abreviation.back() == '.';
                // "ST." may run straight into the next word ("ST.ETIENNE"); "ST" may not.
                if (!point && !FinDeMot(texte, apres)) continue;
                resultat += mot;
                if (point && !FinDeMot(texte, apres)) resultat += '-';
                i = apres;
                remplace = true;
                break;
            }
        }
        if (!remplace) resultat += texte[i++];
    }
    return resultat;
}

TResultatRecherche RechercheTolerante(const TCarteFrance& carte, AnsiString texte, int mode) {
    TResultatRecherche r;
    texte = OteCharFin(texte, '*');
    if (texte.empty() || texte == "*" || mode == SaisieVide) return r;

    carte.RechercheCommunes(r.Communes, texte, -1, -1, mode);
    if (mode == SaisieCode) {
        // A code shared by a current commune and its delegated communes gives the current one
        // first.
        carte.CommuneActuelleEnTete(r.Communes, texte, mode);
        r.NombreInsee = r.Communes.size();
        if (EstChiffres(texte)) AjouteCodesPostaux(carte, texte, r.Communes);
        r.Etape = r.Communes.empty() ? TEtapeRecherche::Aucune : TEtapeRecherche::Code;
        return r;
    }
    if (!r.Communes.empty()) {
        r.Etape = TEtapeRecherche::Stricte;
        return r;
    }

    const AnsiString saints = DevelopperSaints(texte);
    if (saints != texte) {
        carte.RechercheCommunes(r.Communes, saints, -1, -1, mode);
        if (!r.Communes.empty()) {
            r.Etape = TEtapeRecherche::Saints;
            return r;
        }
    }
    RechercheSansArticle(carte, saints, r.Communes);
    if (!r.Communes.empty()) {
        r.Etape = TEtapeRecherche::SansArticle;
        return r;
    }
    if (saints.front() != '*') {
        // Anywhere in the name: the final space, which would ask for the end, is dropped.
        carte.RechercheCommunes(r.Communes, "*" + OteBlancsFin(saints), -1, -1, mode);
        if (!r.Communes.empty()) {
            r.Etape = TEtapeRecherche::Etoile;
            return r;
        }
    }
    r.Communes.clear();
    return r;
}

TResultatRecherche RechercheSaisie(const TCarteFrance& carte, const AnsiString& saisie) {
    AnsiString texte = saisie;
    const int mode = AnalyserSaisie(texte);
    if (mode == SaisieVide) return {};
    return RechercheTolerante(carte, std::move(texte), mode);
}

} // namespace orlavine
