// Fuzzing of the GEDCOM reader and writer, in every character set. The first byte chooses how
// the rest is presented: as is, or behind a header declaring one of the character sets (with
// the BOM and the UTF-16 widening where they belong). Any bytes either are refused with
// ErreurGenealogie or read; what is read covers the bytes exactly, line after line, its texts
// are UTF-8, its positions are in range; the export without changes is the input itself,
// and a position written on a place is read back from the export. Read and written again by
// small pieces, a few lines at a time, the file gives the same places, warnings and bytes.
#include "genealogie/gedcom.h"
#include "tests/fuzz/verifie.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace orlavine;

struct Presentation {
    const char* Char;
    Encodage Jeu;
};
constexpr Presentation Presentations[] = {
    {"UTF-8", Encodage::Utf8},    {"UNICODE", Encodage::Utf16LE},    {"UNICODE", Encodage::Utf16BE},
    {"ANSEL", Encodage::Ansel},   {"ANSI", Encodage::Windows1252},   {"IBMPC", Encodage::Cp437},
    {"MS-DOS", Encodage::Cp850},  {"MACINTOSH", Encodage::MacRoman}, {"ASCII", Encodage::Ascii},
    {"LATIN1", Encodage::Latin1},
};
constexpr std::size_t NombrePresentations = sizeof Presentations / sizeof Presentations[0];

std::string Entree(const std::uint8_t* donnees, std::size_t taille) {
    const std::uint8_t mode = donnees[0];
    std::string corps(reinterpret_cast<const char*>(donnees) + 1, taille - 1);
    if ((mode & 1) == 0) return corps;
    const Presentation& p = Presentations[(mode >> 1) % NombrePresentations];
    const std::string entete = std::string("0 HEAD\r\n1 CHAR ") + p.Char + "\r\n";
    switch (p.Jeu) {
    case Encodage::Utf16LE:
        return "\xFF\xFE" + EncodeAscii(p.Jeu, entete) + corps;
    case Encodage::Utf16BE:
        return "\xFE\xFF" + EncodeAscii(p.Jeu, entete) + corps;
    case Encodage::Utf8:
        return (mode & 0x80 ? "\xEF\xBB\xBF" : "") + entete + corps;
    default:
        return entete + corps;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    if (taille == 0 || taille > 1 << 20) return 0;
    const std::string entree = Entree(donnees, taille);
    DocumentGedcom d;
    try {
        d = LitGedcom(entree, "fuzz.ged");
    } catch (const ErreurGenealogie&) {
        return 0;
    }

    EXIGE(d.Octets == entree);
    std::uint64_t pos = d.Bom ? (LargeurUnite(d.Jeu) == 2 ? 2 : 3) : 0;
    for (std::size_t i = 0; i < d.Lignes.size(); ++i) {
        const LigneGedcom& l = d.Lignes[i];
        EXIGE(l.Debut == pos);
        EXIGE(l.Numero == i + 1);
        pos += l.Longueur + l.LongueurFin;
        EXIGE(l.Parent == LigneGedcom::SansParent || l.Parent < i);
        EXIGE(EstUtf8Valide(l.Valeur) && EstUtf8Valide(l.Etiquette) && EstUtf8Valide(l.Xref));
    }
    EXIGE(pos == entree.size());
    for (const LieuEvenement& l : d.Lieux) {
        EXIGE(l.IndexPlac < d.Lignes.size() && d.Lignes[l.IndexPlac].Etiquette == "PLAC");
        EXIGE(EstUtf8Valide(l.Texte) && EstUtf8Valide(l.TexteLieu));
        if (l.Coordonnees)
            EXIGE(std::fabs(l.Coordonnees->Latitude) <= 90 &&
                  std::fabs(l.Coordonnees->Longitude) <= 180);
    }
    EXIGE(EcritGedcom(d, {}) == entree);

    // Read again by small pieces, a few lines at a time: the same places, warnings and bytes.
    {
        OptionsLecture options;
        options.TailleMorceau = 1 + donnees[taille - 1] % 13;
        options.LignesParPiece = 1 + donnees[taille / 2] % 5;
        SourceTexte source(entree);
        std::string octets;
        std::vector<const LieuEvenement*> attendus;
        std::size_t k = 0;
        RecepteurGedcom recepteur;
        recepteur.Octets = [&](std::string_view o) { octets += o; };
        recepteur.Lieu = [&](LieuEvenement& l) {
            EXIGE(k < d.Lieux.size());
            const LieuEvenement& m = d.Lieux[k++];
            EXIGE(l.LignePlac == m.LignePlac && l.Texte == m.Texte && l.TexteLieu == m.TexteLieu);
            EXIGE(l.Parties == m.Parties && l.Evenement == m.Evenement);
            EXIGE(l.Coordonnees.has_value() == m.Coordonnees.has_value());
            if (l.Coordonnees)
                EXIGE(l.Coordonnees->Latitude == m.Coordonnees->Latitude &&
                      l.Coordonnees->Longitude == m.Coordonnees->Longitude &&
                      l.Coordonnees->Source == m.Coordonnees->Source);
        };
        recepteur.Recommence = [&] { k = 0; };
        const DocumentGedcom f = LitGedcomFlux(source, "fuzz.ged", recepteur, options);
        EXIGE(octets == entree);
        EXIGE(k == d.Lieux.size());
        EXIGE(f.Jeu == d.Jeu && f.Version == d.Version && f.Individus == d.Individus);
        EXIGE(f.Avertissements.size() == d.Avertissements.size());
        for (std::size_t i = 0; i < f.Avertissements.size(); ++i)
            EXIGE(f.Avertissements[i].Ligne == d.Avertissements[i].Ligne &&
                  f.Avertissements[i].Texte == d.Avertissements[i].Texte);
        // Written by pieces: what the writer in memory gives.
        if (!d.Lieux.empty()) {
            const std::vector<CoordonneesEvenement> c{
                {d.Lieux[0].LignePlac, 1.5, 2.5, false},
                {d.Lieux[d.Lieux.size() / 2].LignePlac, 0, 0, true}};
            std::string memoire, flux;
            try {
                memoire = EcritGedcom(d, c);
            } catch (const ErreurGenealogie&) {
                memoire = "refus";
            }
            try {
                EcritGedcomFlux(
                    source, "fuzz.ged", c, [&](std::string_view o) { flux += o; }, options);
            } catch (const ErreurGenealogie&) {
                flux = "refus";
            }
            EXIGE(flux == memoire);
        }
    }

    if (d.Lieux.empty()) return 0;
    std::string ecrit;
    RapportEcriture rapport;
    try {
        ecrit = EcritGedcom(d, {{d.Lieux[0].LignePlac, 12.345678, -98.765432, false}}, &rapport);
    } catch (const ErreurGenealogie&) {
        return 0; // a UTF-16 file with an odd byte count, or a level too deep
    }
    const DocumentGedcom r = LitGedcom(ecrit, "fuzz-sortie.ged");
    // The same character set, unless the only bytes that were not UTF-8 were in the replaced
    // lines: what is left then reads as UTF-8.
    EXIGE(r.Jeu == d.Jeu || EstUtf8Valide(ecrit));
    EXIGE(r.Lieux.size() == d.Lieux.size());
    EXIGE(r.Lieux[0].Texte == d.Lieux[0].Texte);
    // The PLAC of an LDS ordinance in a file before GEDCOM 7 takes no MAP: left without one.
    if (rapport.OrdonnancesSansCoordonnees > 0) {
        EXIGE(!r.Lieux[0].Coordonnees ||
              r.Lieux[0].Coordonnees->Source != SourceCoordonnees::PlacMap);
        return 0;
    }
    EXIGE(r.Lieux[0].Coordonnees && r.Lieux[0].Coordonnees->Source == SourceCoordonnees::PlacMap);
    EXIGE(std::fabs(r.Lieux[0].Coordonnees->Latitude - 12.345678) < 1e-9);
    EXIGE(std::fabs(r.Lieux[0].Coordonnees->Longitude + 98.765432) < 1e-9);
    return 0;
}
