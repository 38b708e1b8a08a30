// GEDCOM writer: the file's own bytes, with the MAP of chosen PLACs replaced, added or removed.
#include "genealogie/gedcom.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {

namespace {

// One splice into the original bytes: [Debut, Fin) becomes Texte.
struct Retouche {
    std::uint64_t Debut;
    std::uint64_t Fin;
    std::string Texte;
};

class Ecrivain {
public:
    explicit Ecrivain(const DocumentGedcom& doc) : doc_(doc) {}

    void Change(std::size_t plac, const CoordonneesEvenement& c);
    // HEAD.GEDC.VERS becomes `version`; false when the header has no such line.
    bool Declare(std::string_view version);
    std::string Resultat();

private:
    const LigneGedcom& L(std::size_t i) const { return doc_.Lignes[i]; }
    std::uint64_t FinOctets(std::size_t i) const {
        return L(i).Debut + L(i).Longueur + L(i).LongueurFin;
    }
    std::size_t FinSousArbre(std::size_t i) const {
        std::size_t j = i + 1;
        while (j < doc_.Lignes.size() && (L(j).Niveau < 0 || L(j).Niveau > L(i).Niveau))
            ++j;
        return j;
    }
    // Last GEDCOM line of the subtree of `i` (malformed lines after it are not its part).
    std::size_t DerniereLigne(std::size_t i) const {
        std::size_t d = i;
        const std::size_t fin = FinSousArbre(i);
        for (std::size_t j = i + 1; j < fin; ++j)
            if (L(j).Niveau >= 0) d = j;
        return d;
    }
    // The line end of line `i`, or the file's usual one when it has none.
    std::string FinDe(std::size_t i) const {
        if (L(i).LongueurFin)
            return doc_.Octets.substr(L(i).Debut + L(i).Longueur, L(i).LongueurFin);
        const char* fin = doc_.Fins == FinDeLigne::CRLF ? "\r\n"
                          : doc_.Fins == FinDeLigne::CR ? "\r"
                                                        : "\n";
        return EncodeAscii(doc_.Jeu, fin);
    }
    std::vector<std::string> Lignes(std::int32_t niveau, const CoordonneesEvenement& c) const {
        if (niveau + 2 > 999)
            throw ErreurGenealogie(doc_.NomFichier, 0,
                                   "niveau trop profond pour y écrire des coordonnées");
        return {EncodeAscii(doc_.Jeu, std::to_string(niveau + 1) + " MAP"),
                EncodeAscii(doc_.Jeu,
                            std::to_string(niveau + 2) + " LATI " + EcritLatitude(c.Latitude)),
                EncodeAscii(doc_.Jeu,
                            std::to_string(niveau + 2) + " LONG " + EcritLongitude(c.Longitude))};
    }
    // The lines as a block standing where line `i` ends (after its line end, or before
    // nothing when it is the file's last line without one).
    std::string Bloc(const std::vector<std::string>& lignes, std::size_t i, bool apres) const {
        const std::string fin = FinDe(i);
        std::string b;
        const bool sansFin = L(i).LongueurFin == 0;
        for (std::size_t k = 0; k < lignes.size(); ++k) {
            if (sansFin && (apres || k > 0)) b += fin;
            b += lignes[k];
            if (!sansFin) b += fin;
        }
        return b;
    }

    const DocumentGedcom& doc_;
    std::vector<Retouche> retouches_;
};

void Ecrivain::Change(std::size_t plac, const CoordonneesEvenement& c) {
    const std::int32_t niveau = L(plac).Niveau;
    std::vector<std::size_t> cartes;
    const std::size_t fin = FinSousArbre(plac);
    for (std::size_t j = plac + 1; j < fin; ++j)
        if (L(j).Parent == plac && L(j).Niveau >= 0 && L(j).Etiquette == "MAP") cartes.push_back(j);

    // LATI and LONG lines go (those with substructures of their own stay, nothing under them is
    // dropped); a MAP goes when nothing else is left under it. The first MAP, when a position
    // is written, becomes the new MAP, LATI and LONG, followed by what stays under it.
    for (std::size_t k = 0; k < cartes.size(); ++k) {
        const std::size_t m = cartes[k];
        const std::size_t finCarte = FinSousArbre(m);
        bool autres = false;
        for (std::size_t j = m + 1; j < finCarte; ++j) {
            if (L(j).Parent != m || L(j).Niveau < 0) continue;
            if ((L(j).Etiquette == "LATI" || L(j).Etiquette == "LONG") && DerniereLigne(j) == j)
                retouches_.push_back({L(j).Debut, FinOctets(j), {}});
            else
                autres = true;
        }
        // At the MAP's own level: after a level jump the lines that follow keep their parent.
        if (k == 0 && !c.Retirer)
            retouches_.push_back(
                {L(m).Debut, FinOctets(m), Bloc(Lignes(L(m).Niveau - 1, c), m, false)});
        else if (!autres)
            retouches_.push_back({L(m).Debut, FinOctets(m), {}});
    }
    if (cartes.empty() && !c.Retirer) {
        const std::size_t d = DerniereLigne(plac);
        const std::uint64_t ou = FinOctets(d);
        retouches_.push_back({ou, ou, Bloc(Lignes(niveau, c), d, true)});
    }
}

bool Ecrivain::Declare(std::string_view version) {
    for (std::size_t i = 0; i < doc_.Lignes.size(); ++i) {
        const LigneGedcom& l = L(i);
        if (l.Niveau == 0 && i > 0 && l.Etiquette != "HEAD") break; // past the header
        if (l.Niveau < 0 || l.Etiquette != "VERS" || l.Parent == LigneGedcom::SansParent) continue;
        const LigneGedcom& gedc = L(l.Parent);
        if (gedc.Etiquette != "GEDC" || gedc.Niveau != 1) continue;
        retouches_.push_back(
            {l.Debut, l.Debut + l.Longueur,
             EncodeAscii(doc_.Jeu, std::to_string(l.Niveau) + " VERS " + std::string(version))});
        return true;
    }
    return false;
}

std::string Ecrivain::Resultat() {
    std::stable_sort(retouches_.begin(), retouches_.end(),
                     [](const Retouche& a, const Retouche& b) { return a.Debut < b.Debut; });
    std::string sortie;
    std::size_t taille = doc_.Octets.size();
    for (const Retouche& r : retouches_)
        taille += r.Texte.size();
    sortie.reserve(taille);
    std::uint64_t pos = 0;
    for (const Retouche& r : retouches_) {
        if (r.Debut < pos) continue; // inside a part already replaced
        sortie.append(doc_.Octets, pos, r.Debut - pos);
        sortie += r.Texte;
        pos = r.Fin;
    }
    sortie.append(doc_.Octets, pos, std::string::npos);
    return sortie;
}

// The PLAC of an LDS ordinance: in GEDCOM 5.5 and 5.5.1 a plain text, with nothing under it.
bool SousOrdonnance(const DocumentGedcom& d, std::size_t plac) {
    const std::uint32_t parent = d.Lignes[plac].Parent;
    if (parent == LigneGedcom::SansParent) return false;
    const std::string_view e = d.Lignes[parent].Etiquette;
    return e == "BAPL" || e == "CONL" || e == "ENDL" || e == "SLGC" || e == "SLGS";
}

} // namespace

std::string EcritGedcom(const DocumentGedcom& document,
                        const std::vector<CoordonneesEvenement>& changements,
                        RapportEcriture* rapport) {
    RapportEcriture r;
    if (rapport) *rapport = r;
    if (changements.empty()) return document.Octets;
    // One change per PLAC, the last given wins.
    std::map<std::size_t, CoordonneesEvenement> parPlac;
    for (const CoordonneesEvenement& c : changements) {
        const std::size_t i = c.LignePlac - std::size_t{1};
        if (c.LignePlac == 0 || i >= document.Lignes.size() || document.Lignes[i].Niveau < 1 ||
            document.Lignes[i].Etiquette != "PLAC")
            throw ErreurGenealogie(document.NomFichier, c.LignePlac,
                                   "aucun lieu (PLAC) à cette ligne : coordonnées non écrites");
        if (!c.Retirer && (!std::isfinite(c.Latitude) || !std::isfinite(c.Longitude) ||
                           std::fabs(c.Latitude) > 90 || std::fabs(c.Longitude) > 180))
            throw ErreurGenealogie(document.NomFichier, c.LignePlac,
                                   "position hors limites : latitude " +
                                       std::to_string(c.Latitude) + ", longitude " +
                                       std::to_string(c.Longitude));
        if (document.Lignes[i].Niveau > 900)
            throw ErreurGenealogie(document.NomFichier, c.LignePlac,
                                   "niveau trop profond pour y écrire des coordonnées");
        parPlac[i] = c;
    }
    // A UTF-16 file cut in the middle of a character: lines added after its last byte would
    // be read back shifted by one byte.
    if (LargeurUnite(document.Jeu) == 2 && (document.Octets.size() - (document.Bom ? 2 : 0)) % 2)
        throw ErreurGenealogie(document.NomFichier, 0,
                               "fichier UTF-16 tronqué (nombre impair d'octets) : coordonnées "
                               "non écrites");
    // GEDCOM 7 allows a MAP under every PLAC; 5.5.1 (and a file that does not say) not under
    // an LDS ordinance's: the position is left out there, and a MAP already there, out of date
    // now, goes. The same place carries it under its other events.
    const bool version7 = !document.Version.empty() && document.Version.front() == '7';
    Ecrivain e(document);
    bool carte = false;
    for (auto [plac, c] : parPlac) {
        if (!version7 && !c.Retirer && SousOrdonnance(document, plac)) {
            ++r.OrdonnancesSansCoordonnees;
            c.Retirer = true;
        } else {
            ++r.Ecrits;
            carte = carte || !c.Retirer;
        }
        e.Change(plac, c);
    }
    // GEDCOM 5.5 has no MAP: a file that gains one says 5.5.1, the version that has it.
    if (carte && document.Version == "5.5" && e.Declare("5.5.1")) r.VersionRelevee = "5.5.1";
    if (rapport) *rapport = r;
    return e.Resultat();
}

} // namespace orlavine
