// GEDCOM writer: the file's own bytes, with the MAP of chosen PLACs replaced, added or removed.
#include "genealogie/gedcom.h"

#include <algorithm>
#include <cmath>
#include <functional>
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

// The splices are made on the lines of one piece of the file at a time (the whole document,
// or the pieces of a reading in one pass); the bytes around them come from the source.
class Ecrivain {
public:
    Ecrivain(SourceGedcom& source, std::function<void(std::string_view)> sortie)
        : source_(source), sortie_(std::move(sortie)) {}

    // The lines the next changes name (indexes into its Lignes).
    void Piece(const DocumentGedcom& doc) { doc_ = &doc; }
    void Change(std::size_t plac, const CoordonneesEvenement& c);
    // HEAD.GEDC.VERS becomes `version`; false when the header has no such line.
    bool Declare(std::string_view version);
    // Writes the file up to the last splice of the piece.
    void Vide();
    // Writes the rest of the file.
    void Termine() {
        Copie(source_.Taille());
        if (!tampon_.empty()) sortie_(tampon_);
        tampon_.clear();
    }

private:
    const LigneGedcom& L(std::size_t i) const { return doc_->Lignes[i]; }
    void Ecrit(std::string_view octets) {
        tampon_ += octets;
        if (tampon_.size() >= TailleTampon) {
            sortie_(tampon_);
            tampon_.clear();
        }
    }
    // The source's bytes from where the output stands to `jusqua`.
    void Copie(std::uint64_t jusqua) {
        while (pos_ < jusqua) {
            const std::size_t avant = tampon_.size();
            const std::size_t voulu =
                static_cast<std::size_t>(std::min<std::uint64_t>(jusqua - pos_, TailleTampon));
            tampon_.resize(avant + voulu);
            const std::size_t lu = source_.Lit(pos_, tampon_.data() + avant, voulu);
            tampon_.resize(avant + lu);
            if (lu == 0)
                throw ErreurGenealogie(doc_ ? doc_->NomFichier : std::string(), 0,
                                       "fichier tronqué pendant sa lecture");
            pos_ += lu;
            if (tampon_.size() >= TailleTampon) {
                sortie_(tampon_);
                tampon_.clear();
            }
        }
    }
    std::uint64_t FinOctets(std::size_t i) const {
        return L(i).Debut + L(i).Longueur + L(i).LongueurFin;
    }
    std::size_t FinSousArbre(std::size_t i) const {
        std::size_t j = i + 1;
        while (j < doc_->Lignes.size() && (L(j).Niveau < 0 || L(j).Niveau > L(i).Niveau))
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
        if (L(i).LongueurFin) {
            std::string fin(L(i).LongueurFin, '\0');
            fin.resize(source_.Lit(L(i).Debut + L(i).Longueur, fin.data(), fin.size()));
            return fin;
        }
        const char* fin = doc_->Fins == FinDeLigne::CRLF ? "\r\n"
                          : doc_->Fins == FinDeLigne::CR ? "\r"
                                                         : "\n";
        return EncodeAscii(doc_->Jeu, fin);
    }
    std::vector<std::string> Lignes(std::int32_t niveau, const CoordonneesEvenement& c) const {
        if (niveau + 2 > 999)
            throw ErreurGenealogie(doc_->NomFichier, 0,
                                   "niveau trop profond pour y écrire des coordonnées");
        return {EncodeAscii(doc_->Jeu, std::to_string(niveau + 1) + " MAP"),
                EncodeAscii(doc_->Jeu,
                            std::to_string(niveau + 2) + " LATI " + EcritLatitude(c.Latitude)),
                EncodeAscii(doc_->Jeu,
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

    static constexpr std::size_t TailleTampon = std::size_t{1} << 20;
    SourceGedcom& source_;
    std::function<void(std::string_view)> sortie_;
    const DocumentGedcom* doc_ = nullptr;
    std::vector<Retouche> retouches_;
    std::uint64_t pos_ = 0; // the source's bytes written or replaced so far
    std::string tampon_;
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
    for (std::size_t i = 0; i < doc_->Lignes.size(); ++i) {
        const LigneGedcom& l = L(i);
        if (l.Niveau == 0 && i > 0 && l.Etiquette != "HEAD") break; // past the header
        if (l.Niveau < 0 || l.Etiquette != "VERS" || l.Parent == LigneGedcom::SansParent) continue;
        const LigneGedcom& gedc = L(l.Parent);
        if (gedc.Etiquette != "GEDC" || gedc.Niveau != 1) continue;
        retouches_.push_back(
            {l.Debut, l.Debut + l.Longueur,
             EncodeAscii(doc_->Jeu, std::to_string(l.Niveau) + " VERS " + std::string(version))});
        return true;
    }
    return false;
}

void Ecrivain::Vide() {
    std::stable_sort(retouches_.begin(), retouches_.end(),
                     [](const Retouche& a, const Retouche& b) { return a.Debut < b.Debut; });
    for (const Retouche& r : retouches_) {
        if (r.Debut < pos_) continue; // inside a part already replaced
        Copie(r.Debut);
        Ecrit(r.Texte);
        pos_ = r.Fin;
    }
    retouches_.clear();
}

// The PLAC of an LDS ordinance: in GEDCOM 5.5 and 5.5.1 a plain text, with nothing under it.
bool SousOrdonnance(const DocumentGedcom& d, std::size_t plac) {
    const std::uint32_t parent = d.Lignes[plac].Parent;
    if (parent == LigneGedcom::SansParent) return false;
    const std::string_view e = d.Lignes[parent].Etiquette;
    return e == "BAPL" || e == "CONL" || e == "ENDL" || e == "SLGC" || e == "SLGS";
}

// A position inside the limits, or ErreurGenealogie.
void VerifiePosition(const std::string& nom, const CoordonneesEvenement& c) {
    if (c.LignePlac == 0)
        throw ErreurGenealogie(nom, 0, "aucun lieu (PLAC) à cette ligne : coordonnées non écrites");
    if (!c.Retirer && (!std::isfinite(c.Latitude) || !std::isfinite(c.Longitude) ||
                       std::fabs(c.Latitude) > 90 || std::fabs(c.Longitude) > 180))
        throw ErreurGenealogie(nom, c.LignePlac,
                               "position hors limites : latitude " + std::to_string(c.Latitude) +
                                   ", longitude " + std::to_string(c.Longitude));
}

// The line `i` of `d` is a PLAC under something, or ErreurGenealogie.
void VerifiePlac(const DocumentGedcom& d, std::size_t i, const CoordonneesEvenement& c) {
    if (i >= d.Lignes.size() || d.Lignes[i].Niveau < 1 || d.Lignes[i].Etiquette != "PLAC")
        throw ErreurGenealogie(d.NomFichier, c.LignePlac,
                               "aucun lieu (PLAC) à cette ligne : coordonnées non écrites");
    if (d.Lignes[i].Niveau > 900)
        throw ErreurGenealogie(d.NomFichier, c.LignePlac,
                               "niveau trop profond pour y écrire des coordonnées");
}

// A UTF-16 file cut in the middle of a character: lines added after its last byte would be
// read back shifted by one byte.
void VerifieUtf16(const DocumentGedcom& d, std::uint64_t taille) {
    if (LargeurUnite(d.Jeu) == 2 && (taille - (d.Bom ? 2 : 0)) % 2)
        throw ErreurGenealogie(d.NomFichier, 0,
                               "fichier UTF-16 tronqué (nombre impair d'octets) : coordonnées "
                               "non écrites");
}

bool Version7(const DocumentGedcom& d) {
    return !d.Version.empty() && d.Version.front() == '7';
}

// One change per PLAC, in line order, the last given for a line wins.
std::vector<CoordonneesEvenement> ParLigne(std::vector<CoordonneesEvenement> changements) {
    std::stable_sort(changements.begin(), changements.end(),
                     [](const auto& a, const auto& b) { return a.LignePlac < b.LignePlac; });
    std::vector<CoordonneesEvenement> r;
    for (const CoordonneesEvenement& c : changements) {
        if (!r.empty() && r.back().LignePlac == c.LignePlac)
            r.back() = c;
        else
            r.push_back(c);
    }
    return r;
}

// The change of a PLAC as written: GEDCOM 7 allows a MAP under every PLAC; 5.5.1 (and a file
// that does not say) not under an LDS ordinance's: the position is left out there, and a MAP
// already there, out of date now, goes. The same place carries it under its other events.
CoordonneesEvenement Ecrite(const DocumentGedcom& d, std::size_t plac, CoordonneesEvenement c,
                            RapportEcriture& r, bool& carte) {
    if (!Version7(d) && !c.Retirer && SousOrdonnance(d, plac)) {
        ++r.OrdonnancesSansCoordonnees;
        c.Retirer = true;
    } else {
        ++r.Ecrits;
        carte = carte || !c.Retirer;
    }
    return c;
}

} // namespace

std::string EcritGedcom(const DocumentGedcom& document,
                        const std::vector<CoordonneesEvenement>& changements,
                        RapportEcriture* rapport) {
    RapportEcriture r;
    if (rapport) *rapport = r;
    if (changements.empty()) return document.Octets;
    const std::vector<CoordonneesEvenement> parLigne = ParLigne(changements);
    for (const CoordonneesEvenement& c : parLigne) {
        VerifiePosition(document.NomFichier, c);
        VerifiePlac(document, c.LignePlac - std::size_t{1}, c);
    }
    VerifieUtf16(document, document.Octets.size());
    std::string sortie;
    sortie.reserve(document.Octets.size() + parLigne.size() * 48);
    SourceTexte source(document.Octets);
    Ecrivain e(source, [&](std::string_view o) { sortie += o; });
    e.Piece(document);
    bool carte = false;
    for (const CoordonneesEvenement& c : parLigne) {
        const std::size_t plac = c.LignePlac - std::size_t{1};
        e.Change(plac, Ecrite(document, plac, c, r, carte));
    }
    // GEDCOM 5.5 has no MAP: a file that gains one says 5.5.1, the version that has it.
    if (carte && document.Version == "5.5" && e.Declare("5.5.1")) r.VersionRelevee = "5.5.1";
    e.Vide();
    e.Termine();
    if (rapport) *rapport = r;
    return sortie;
}

RapportEcriture EcritGedcomFlux(SourceGedcom& source, const std::string& nomFichier,
                                const std::vector<CoordonneesEvenement>& changements,
                                const std::function<void(std::string_view)>& sortie,
                                const OptionsLecture& options) {
    RapportEcriture r;
    Ecrivain e(source, sortie);
    if (changements.empty()) {
        e.Termine();
        return r;
    }
    const std::vector<CoordonneesEvenement> parLigne = ParLigne(changements);
    for (const CoordonneesEvenement& c : parLigne)
        VerifiePosition(nomFichier, c);
    // The changes that fall among the lines of a piece, by index in that piece.
    auto dansPiece = [&](const DocumentGedcom& d, std::size_t& k, auto&& f) {
        if (d.Lignes.empty()) return;
        const std::uint32_t premiere = d.Lignes.front().Numero;
        const std::uint32_t derniere = d.Lignes.back().Numero;
        for (; k < parLigne.size() && parLigne[k].LignePlac <= derniere; ++k) {
            const std::size_t i = parLigne[k].LignePlac - std::size_t{premiere};
            VerifiePlac(d, i, parLigne[k]);
            f(i, parLigne[k]);
        }
    };
    // Whether a MAP gets written matters to a GEDCOM 5.5 file only, whose header then says
    // 5.5.1: the header is read first, and for such a file the whole of it before writing.
    bool carte = false;
    const bool ajoute =
        std::any_of(parLigne.begin(), parLigne.end(), [](const auto& c) { return !c.Retirer; });
    if (ajoute) {
        RecepteurGedcom entete;
        entete.Fenetre = [](const DocumentGedcom&) { return false; };
        if (LitGedcomFlux(source, nomFichier, entete, options).Version == "5.5") {
            RecepteurGedcom avant;
            std::size_t k = 0;
            RapportEcriture essai;
            avant.Fenetre = [&](const DocumentGedcom& d) {
                dansPiece(d, k, [&](std::size_t i, const CoordonneesEvenement& c) {
                    Ecrite(d, i, c, essai, carte);
                });
                return !carte;
            };
            LitGedcomFlux(source, nomFichier, avant, options);
        }
    }
    RecepteurGedcom recepteur;
    std::size_t k = 0;
    bool premiere = true;
    bool sansCarte = false;
    recepteur.Fenetre = [&](const DocumentGedcom& d) {
        e.Piece(d);
        if (premiere) {
            premiere = false;
            VerifieUtf16(d, source.Taille());
            if (carte && d.Version == "5.5" && e.Declare("5.5.1")) r.VersionRelevee = "5.5.1";
        }
        dansPiece(d, k, [&](std::size_t i, const CoordonneesEvenement& c) {
            e.Change(i, Ecrite(d, i, c, r, sansCarte));
        });
        e.Vide();
        return true;
    };
    LitGedcomFlux(source, nomFichier, recepteur, options);
    if (k < parLigne.size())
        throw ErreurGenealogie(nomFichier, parLigne[k].LignePlac,
                               "aucun lieu (PLAC) à cette ligne : coordonnées non écrites");
    e.Termine();
    return r;
}

} // namespace orlavine
