// The reading and writing of a GEDCOM file by pieces: whatever the size of the pieces, and
// wherever they cut a character or a line end, they give what the reading in memory gives;
// the bytes stored in a base by pieces come back whole; warnings stay capped.
#include "essai_base.h"
#include "genealogie/base_gedcom.h"
#include "genealogie/gedcom.h"
#include "tests/genealogie/texte_essai.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace orlavine {
namespace {

using test::Iconv;
using test::Remplace;

namespace fs = std::filesystem;

// Accented letters everywhere (two- and three-byte UTF-8), places with and without
// coordinates, a place record after the places it locates, an LDS ordinance.
constexpr const char* Arbre = "0 HEAD\n1 GEDC\n2 VERS {VERS}\n1 CHAR {CHAR}\n"
                              "0 @I1@ INDI\n1 NAME Édouard /Çà€/\n1 BIRT\n"
                              "2 PLAC Le Pré, Saint-Étienne, 42218, Loire, France\n3 MAP\n"
                              "4 LATI N45.4339\n4 LONG E4.39\n1 DEAT\n2 PLAC Brest\n"
                              "1 BAPL\n2 PLAC Lyon, 69123, Rhône\n"
                              "1 NOTE très long texte accentué é è à ç ô\n2 CONC suite\n"
                              "0 @I2@ INDI\n1 BIRT\n2 PLAC Quimper\n3 _LOC @L1@\n"
                              "0 _PLAC Brest\n1 MAP\n2 LATI N48.39\n2 LONG W4.49\n"
                              "0 @L1@ _LOC\n1 MAP\n2 LATI N47.99\n2 LONG W4.1\n0 TRLR\n";

struct Cas {
    const char* Nom;
    std::string Octets;
};

std::string Fichier(const char* fin, const char* jeu, const char* iconv, const char* bom = "",
                    const char* version = "5.5.1") {
    std::string t = Remplace(Remplace(Arbre, "{CHAR}", jeu), "{VERS}", version);
    if (std::string_view(jeu) != "UTF-8" || iconv) t = Remplace(t, "€", "e");
    t = Remplace(t, "\n", fin);
    if (iconv) t = Iconv(t, iconv);
    return bom + t;
}

std::vector<Cas> Cas_() {
    std::vector<Cas> c = {
        {"UTF-8 LF", Fichier("\n", "UTF-8", nullptr)},
        {"UTF-8 CRLF BOM", Fichier("\r\n", "UTF-8", nullptr, "\xEF\xBB\xBF")},
        {"UTF-8 CR 5.5", Fichier("\r", "UTF-8", nullptr, "", "5.5")},
        {"UTF-16LE BOM CRLF", "\xFF\xFE" + Fichier("\r\n", "UNICODE", "UTF-16LE")},
        {"UTF-16BE", Fichier("\r\n", "UNICODE", "UTF-16BE")},
        {"Windows-1252 CRLF", Fichier("\r\n", "ANSI", "CP1252")},
        {"ANSEL", Remplace(Remplace(Fichier("\r\n", "ANSEL", nullptr), "É",
                                    "\xE2"
                                    "E"),
                           "é",
                           "\xE2"
                           "e")},
        {"UTF-8 invalide",
         Remplace(Fichier("\n", "UTF-8", nullptr), "Brest\n2 LATI", "Br\xE9st\n2 LATI")},
        {"fins mélangées, sans TRLR", "0 HEAD\r\n1 CHAR UTF-8\n0 @I1@ INDI\r1 BIRT\r\n"
                                      "2 PLAC Évian\r\n0 @I2@ INDI\n1 DEAT\n2 PLAC Brest"},
        {"UTF-16LE impair", "\xFF\xFE" + Fichier("\n", "UNICODE", "UTF-16LE") + "x"},
    };
    return c;
}

const std::size_t Pieces[] = {1, 2, 3, 5, 7, 64, std::size_t{1} << 20};

std::string Decrit(const LieuEvenement& l) {
    std::string s = std::to_string(l.LignePlac) + "|" + std::string(l.Proprietaire) + "|" +
                    std::string(l.Evenement) + "|" + l.Texte + "|" + l.TexteLieu + "|" +
                    l.Parties.LieuDit + "|" + l.Parties.Commune + "|" + l.Parties.Pays;
    if (l.Coordonnees)
        s += "|" + std::to_string(l.Coordonnees->Latitude) + "," +
             std::to_string(l.Coordonnees->Longitude) + "," +
             std::to_string(static_cast<int>(l.Coordonnees->Source));
    return s;
}

std::vector<std::string> Avertissements(const DocumentGedcom& d) {
    std::vector<std::string> r;
    for (const AvertissementGedcom& a : d.Avertissements)
        r.push_back(std::to_string(a.Ligne) + " " + a.Texte);
    return r;
}

TEST(GedcomFlux, PiecesOfAnySizeReadAsInMemory) {
    for (const Cas& cas : Cas_()) {
        const DocumentGedcom memoire = LitGedcom(cas.Octets, "a.ged");
        std::vector<std::string> attendus;
        for (const LieuEvenement& l : memoire.Lieux)
            attendus.push_back(Decrit(l));
        for (const std::size_t piece : Pieces) {
            SCOPED_TRACE(std::string(cas.Nom) + ", pièces de " + std::to_string(piece));
            SourceTexte source(cas.Octets);
            OptionsLecture options;
            options.TailleMorceau = piece;
            options.LignesParPiece = piece;
            std::string octets;
            std::vector<std::string> lieux;
            int recommence = 0;
            RecepteurGedcom r;
            r.Octets = [&](std::string_view o) { octets += o; };
            r.Lieu = [&](LieuEvenement& l) { lieux.push_back(Decrit(l)); };
            r.Recommence = [&] {
                ++recommence;
                lieux.clear();
            };
            const DocumentGedcom flux = LitGedcomFlux(source, "a.ged", r, options);
            // The bytes once, whole, even when the places are read twice.
            EXPECT_EQ(octets, cas.Octets);
            EXPECT_EQ(lieux, attendus);
            // A place record after the places it locates, in a later piece: read twice.
            EXPECT_EQ(recommence,
                      piece < 20 && std::string_view(cas.Nom) != "fins mélangées, sans TRLR" ? 1
                                                                                             : 0);
            EXPECT_EQ(flux.Jeu, memoire.Jeu);
            EXPECT_EQ(flux.Bom, memoire.Bom);
            EXPECT_EQ(flux.Fins, memoire.Fins);
            EXPECT_EQ(flux.Version, memoire.Version);
            EXPECT_EQ(flux.CharDeclare, memoire.CharDeclare);
            EXPECT_EQ(flux.Individus, memoire.Individus);
            EXPECT_EQ(flux.Evenements, memoire.Evenements);
            EXPECT_EQ(flux.LignesIgnorees, memoire.LignesIgnorees);
            EXPECT_EQ(flux.CoordonneesLues, memoire.CoordonneesLues);
            EXPECT_EQ(Avertissements(flux), Avertissements(memoire));
            EXPECT_TRUE(flux.Lignes.empty());
        }
    }
}

TEST(GedcomFlux, PiecesOfAnySizeWriteAsInMemory) {
    for (const Cas& cas : Cas_()) {
        const DocumentGedcom memoire = LitGedcom(cas.Octets, "a.ged");
        ASSERT_GE(memoire.Lieux.size(), 2u) << cas.Nom;
        // Unchanged; a position added, replaced and removed (and one under the ordinance);
        // the removals only.
        std::vector<std::vector<CoordonneesEvenement>> jeux(3);
        for (std::size_t k = 0; k < memoire.Lieux.size(); ++k) {
            const std::uint32_t ligne = memoire.Lieux[k].LignePlac;
            jeux[1].push_back({ligne, 44.5 + static_cast<double>(k), -1.25, k == 1});
            jeux[2].push_back({ligne, 0, 0, true});
        }
        for (const auto& changements : jeux) {
            std::string attendu;
            RapportEcriture rapportAttendu;
            try {
                attendu = EcritGedcom(memoire, changements, &rapportAttendu);
            } catch (const ErreurGenealogie&) {
                attendu = "refus";
            }
            // Only the UTF-16 file cut in a character refuses positions.
            EXPECT_EQ(attendu == "refus",
                      std::string_view(cas.Nom) == "UTF-16LE impair" && !changements.empty())
                << cas.Nom;
            for (const std::size_t piece : Pieces) {
                SCOPED_TRACE(std::string(cas.Nom) + ", pièces de " + std::to_string(piece) + ", " +
                             std::to_string(changements.size()) + " changements");
                SourceTexte source(cas.Octets);
                OptionsLecture options;
                options.TailleMorceau = piece;
                options.LignesParPiece = piece;
                std::string sortie;
                RapportEcriture rapport;
                try {
                    rapport = EcritGedcomFlux(
                        source, "a.ged", changements, [&](std::string_view o) { sortie += o; },
                        options);
                } catch (const ErreurGenealogie&) {
                    sortie = "refus";
                }
                EXPECT_EQ(sortie, attendu);
                EXPECT_EQ(rapport.Ecrits, rapportAttendu.Ecrits);
                EXPECT_EQ(rapport.OrdonnancesSansCoordonnees,
                          rapportAttendu.OrdonnancesSansCoordonnees);
                EXPECT_EQ(rapport.VersionRelevee, rapportAttendu.VersionRelevee);
            }
        }
    }
    // A line that is no PLAC, before or after the last line: refused as in memory.
    const std::string octets = Cas_()[0].Octets;
    for (const std::uint32_t ligne : {1u, 5u, 999u}) {
        SourceTexte source(octets);
        EXPECT_THROW(
            EcritGedcomFlux(source, "a.ged", {{ligne, 45, 4, false}}, [](std::string_view) {}),
            ErreurGenealogie)
            << ligne;
    }
}

// ---- The file's bytes in the base, by pieces ----------------------------------------------

TEST(GedcomFlux, BytesStoredByPiecesComeBackWhole) {
    // Multi-byte characters and CRLFs over the 4 KiB pages of the base and the pieces.
    std::string octets = "0 HEAD\r\n1 CHAR UTF-8\r\n";
    while (octets.size() < 20000)
        octets += "0 @N" + std::to_string(octets.size()) + "@ NOTE Éé€ çà\r\n";
    octets += "0 TRLR\r\n";
    const struct {
        std::size_t Piece;     // bytes handed at a time
        std::size_t Manquants; // bytes left unwritten
        bool Accepte;
    } lignes[] = {
        {1, 0, true},       {3, 0, true},     {4095, 0, true}, {4097, 0, true},
        {1 << 20, 0, true}, {4097, 1, false}, // a file shorter than announced: no base
    };
    for (const auto& l : lignes) {
        SCOPED_TRACE("pièces de " + std::to_string(l.Piece));
        test::DossierTemporaire d;
        const fs::path chemin = d / "b.sqlite";
        auto creation = [&] {
            return CreeBase(
                "a.ged", octets.size(),
                [&](TRedacteurImport& r) {
                    const std::string_view o(octets.data(), octets.size() - l.Manquants);
                    for (std::size_t p = 0; p < o.size(); p += l.Piece)
                        r.Octets(o.substr(p, l.Piece));
                    return TContenuImport{};
                },
                chemin);
        };
        if (!l.Accepte) {
            EXPECT_THROW(creation(), ErreurGenealogie);
            EXPECT_FALSE(fs::exists(chemin));
            continue;
        }
        creation();
        TBaseGenealogie base(chemin);
        EXPECT_EQ(base.OctetsOrigine(), octets);
        // Read back by pieces that straddle the pages and the characters.
        BlobSqlite blob(base.Connexion(), "fichier_origine", "octets", 1, false);
        ASSERT_EQ(blob.Taille(), octets.size());
        std::string relu;
        std::string tampon(l.Piece + 2, '\0');
        for (std::uint64_t p = 0;;) {
            const std::size_t n = blob.Lit(p, tampon.data(), tampon.size());
            if (n == 0) break;
            relu.append(tampon, 0, n);
            p += n;
        }
        EXPECT_EQ(relu, octets);
        ExporteGedcom(base, d / "sortie.ged");
        std::ifstream f(d / "sortie.ged", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), {}), octets);
    }
}

// ---- Warnings of a damaged file -----------------------------------------------------------

TEST(GedcomFlux, WarningsStayCapped) {
    const struct {
        std::size_t Illisibles;        // lines without a level
        std::size_t Etiquettes;        // distinct unknown tags
        std::size_t MaxAvertissements; // the caps
        std::size_t MaxEtiquettes;
        std::size_t AttendusAuPlus; // warnings kept
        bool Autres;                // "et N autres avertissements"
        bool AutresEtiquettes;      // one group for the unknown tags beyond the cap
    } lignes[] = {
        {10, 10, 1000, 200, 30, false, false},
        {5000, 10, 1000, 200, 1000 + 12, true, false},
        {0, 5000, 1000, 200, 200 + 2, false, true},
        {5000, 5000, 100, 50, 100 + 50 + 3, true, true},
    };
    for (const auto& l : lignes) {
        SCOPED_TRACE(std::to_string(l.Illisibles) + " illisibles, " + std::to_string(l.Etiquettes) +
                     " étiquettes");
        std::string t = "0 HEAD\n";
        for (std::size_t i = 0; i < l.Illisibles; ++i)
            t += "ligne sans niveau\n";
        for (std::size_t i = 0; i < l.Etiquettes; ++i)
            t += "0 _X" + std::to_string(i) + "\n";
        t += "0 TRLR\n";
        OptionsLecture options;
        options.MaxAvertissements = l.MaxAvertissements;
        options.MaxEtiquettesInconnues = l.MaxEtiquettes;
        SourceTexte source(t);
        const DocumentGedcom d = LitGedcomFlux(source, "a.ged", {}, options);
        EXPECT_LE(d.Avertissements.size(), l.AttendusAuPlus);
        auto contient = [&](std::string_view texte) {
            return std::any_of(d.Avertissements.begin(), d.Avertissements.end(),
                               [&](const auto& a) { return a.Texte.find(texte) == 0; });
        };
        EXPECT_EQ(contient("et "), l.Autres);
        EXPECT_EQ(contient(std::to_string(l.Etiquettes - l.MaxEtiquettes) +
                           " ligne(s) d'autres étiquettes inconnues"),
                  l.AutresEtiquettes);
        EXPECT_EQ(d.LignesIgnorees, l.Illisibles);
    }
}

} // namespace
} // namespace orlavine
