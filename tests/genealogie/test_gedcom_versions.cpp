// What each GEDCOM version allows where coordinates are written, read back with our own reader
// after every export: no MAP in GEDCOM 5.5 (the export raises the version to 5.5.1 when it adds
// one), no MAP under the PLAC of a 5.5/5.5.1 LDS ordinance, anywhere in GEDCOM 7. And the
// warnings for a HEAD.CHAR that names no known set or that the bytes contradict.
#include "genealogie/gedcom.h"
#include "tests/genealogie/texte_essai.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iconv.h>
#include <set>
#include <string>
#include <vector>

namespace orlavine {
namespace {

using test::Remplace;

// A person with an event and an LDS ordinance in each place; the CONL's PLAC already carries
// a MAP (as some programs write it).
constexpr const char* Arbre = R"(0 HEAD
1 SOUR Essai
{GEDC}1 CHAR {CHAR}
0 @I1@ INDI
1 NAME Jean /Dupré/
1 BIRT
2 PLAC Saint-Étienne, Loire, France
1 BAPL
2 DATE 1 JAN 1900
2 PLAC Saint-Étienne, Loire, France
1 CONL
2 TEMP PARIS
2 PLAC Lyon, Rhône, France
3 MAP
4 LATI N45.0
4 LONG E4.0
1 ENDL
2 PLAC Lyon, Rhône, France
1 SLGC
2 FAMC @F1@
2 PLAC Montbrison, Loire, France
1 DEAT
2 PLAC Lyon, Rhône, France
0 @F1@ FAM
1 SLGS
2 PLAC Montbrison, Loire, France
1 MARR
2 PLAC Montbrison, Loire, France
0 TRLR
)";

const std::set<std::string_view> Ordonnances = {"BAPL", "CONL", "ENDL", "SLGC", "SLGS"};

std::string VersUtf16(const std::string& texte) {
    iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    std::string sortie(texte.size() * 4 + 16, '\0');
    char* entree = const_cast<char*>(texte.data());
    std::size_t reste = texte.size();
    char* out = sortie.data();
    std::size_t place = sortie.size();
    EXPECT_NE(iconv(cd, &entree, &reste, &out, &place), static_cast<std::size_t>(-1));
    iconv_close(cd);
    sortie.resize(sortie.size() - place);
    return sortie;
}

std::string Fichier(const std::string& version, const std::string& jeu) {
    std::string t =
        Remplace(Arbre, "{GEDC}", version.empty() ? "" : "1 GEDC\n2 VERS " + version + "\n");
    t = Remplace(t, "{CHAR}", jeu);
    return jeu == "UNICODE" ? "\xFF\xFE" + VersUtf16(t) : t;
}

// Where the read-back file breaks its own version's rules on coordinates (empty: none).
std::vector<std::string> Infractions(const DocumentGedcom& d) {
    std::vector<std::string> fautes;
    const bool v7 = !d.Version.empty() && d.Version.front() == '7';
    for (const LigneGedcom& l : d.Lignes) {
        if (l.Niveau < 0 || l.Etiquette != "MAP") continue;
        const std::string ou = "ligne " + std::to_string(l.Numero);
        if (d.Version == "5.5") fautes.push_back(ou + " : MAP en GEDCOM 5.5");
        if (v7 || l.Parent == LigneGedcom::SansParent) continue;
        const LigneGedcom& plac = d.Lignes[l.Parent];
        if (plac.Etiquette == "PLAC" && plac.Parent != LigneGedcom::SansParent &&
            Ordonnances.count(d.Lignes[plac.Parent].Etiquette))
            fautes.push_back(ou + " : MAP sous le PLAC de " +
                             std::string(d.Lignes[plac.Parent].Etiquette));
    }
    return fautes;
}

// The lines of a document as "level tag value", without MAP/LATI/LONG nor the version.
std::vector<std::string> Reste(const DocumentGedcom& d) {
    std::vector<std::string> r;
    for (const LigneGedcom& l : d.Lignes) {
        if (l.Etiquette == "MAP" || l.Etiquette == "LATI" || l.Etiquette == "LONG" ||
            (l.Etiquette == "VERS" && l.Parent != LigneGedcom::SansParent &&
             d.Lignes[l.Parent].Etiquette == "GEDC"))
            continue;
        r.push_back(std::to_string(l.Niveau) + " " + std::string(l.Etiquette) + " " +
                    std::string(l.Valeur));
    }
    return r;
}

bool EstOrdonnance(const LieuEvenement& l) {
    return Ordonnances.count(l.Evenement) > 0;
}

struct CasVersion {
    std::string Version; // as declared ("" : no GEDC)
    std::string Char;
    std::string VersionExportee;
};

// Every PLAC of the tree given a new position, in each version and set: the export, read back,
// keeps its version's rules, carries the position everywhere they allow it, and changes no other
// line than the coordinates and (for 5.5 only) the version.
TEST(GedcomVersions, EveryExportKeepsItsVersionsPlacementRules) {
    const CasVersion cas[] = {
        {"5.5", "UTF-8", "5.5.1"},   {"5.5", "ANSEL", "5.5.1"},     {"5.5", "UNICODE", "5.5.1"},
        {"5.5.1", "UTF-8", "5.5.1"}, {"5.5.1", "ANSI", "5.5.1"},    {"", "UTF-8", ""},
        {"7.0", "UTF-8", "7.0"},     {"7.0.14", "UTF-8", "7.0.14"},
    };
    for (const CasVersion& c : cas) {
        SCOPED_TRACE("VERS " + c.Version + ", CHAR " + c.Char);
        const DocumentGedcom d = LitGedcom(Fichier(c.Version, c.Char), "v.ged");
        ASSERT_EQ(d.Lieux.size(), 8u);
        std::vector<CoordonneesEvenement> changements;
        for (const LieuEvenement& l : d.Lieux)
            changements.push_back({l.LignePlac, 45.5, 4.25, false});
        const DocumentGedcom relu = LitGedcom(EcritGedcom(d, changements), "v.ged");
        EXPECT_EQ(Infractions(relu), std::vector<std::string>{});
        EXPECT_EQ(relu.Version, c.VersionExportee);
        EXPECT_EQ(Reste(relu), Reste(d));
        EXPECT_EQ(relu.Jeu, d.Jeu);
        const bool v7 = !c.Version.empty() && c.Version.front() == '7';
        for (const LieuEvenement& l : relu.Lieux) {
            SCOPED_TRACE(std::string(l.Evenement));
            if (EstOrdonnance(l) && !v7) {
                EXPECT_FALSE(l.Coordonnees); // the stale MAP of the CONL went too
            } else {
                ASSERT_TRUE(l.Coordonnees);
                EXPECT_DOUBLE_EQ(l.Coordonnees->Latitude, 45.5);
                EXPECT_DOUBLE_EQ(l.Coordonnees->Longitude, 4.25);
            }
        }
    }
}

// A 5.5 file that gains no MAP keeps its version: the export with nothing written, or only
// coordinates removed, or only LDS ordinances' places changed, is the file as it was (but for
// the removed lines).
TEST(GedcomVersions, A55FileThatGainsNoMapKeepsItsVersion) {
    const DocumentGedcom d = LitGedcom(Fichier("5.5", "UTF-8"), "v.ged");
    std::vector<CoordonneesEvenement> ordonnances;
    std::uint32_t conl = 0;
    for (const LieuEvenement& l : d.Lieux)
        if (EstOrdonnance(l)) {
            ordonnances.push_back({l.LignePlac, 1, 1, false});
            if (l.Evenement == "CONL") conl = l.LignePlac;
        }
    RapportEcriture rapport;
    const std::string ecrit = EcritGedcom(d, ordonnances, &rapport);
    EXPECT_EQ(LitGedcom(ecrit, "v.ged").Version, "5.5");
    EXPECT_EQ(ecrit, Remplace(d.Octets, "3 MAP\n4 LATI N45.0\n4 LONG E4.0\n", ""));
    EXPECT_EQ(rapport.OrdonnancesSansCoordonnees, 5u);
    EXPECT_EQ(rapport.Ecrits, 0u);
    EXPECT_TRUE(rapport.VersionRelevee.empty());

    // Removing the CONL's MAP is allowed and is a change.
    rapport = {};
    EXPECT_EQ(EcritGedcom(d, {{conl, 0, 0, true}}, &rapport), ecrit);
    EXPECT_EQ(rapport.Ecrits, 1u);
    EXPECT_EQ(rapport.OrdonnancesSansCoordonnees, 0u);

    // One event's place: the version is raised, and said.
    rapport = {};
    const std::string leve = EcritGedcom(d, {{d.Lieux[0].LignePlac, 1, 1, false}}, &rapport);
    EXPECT_NE(leve.find("1 GEDC\n2 VERS 5.5.1\n"), std::string::npos);
    EXPECT_EQ(rapport.Ecrits, 1u);
    EXPECT_EQ(rapport.VersionRelevee, "5.5.1");
}

struct CasJeu {
    const char* Nom;
    std::string Octets;
    Encodage Lu;
    std::vector<std::string> Avertissement; // every piece in one warning on the whole file;
                                            // empty: no warning on the whole file
};

// An unknown CHAR, or one the bytes contradict, is reported, naming the value and what the file
// was read as; a CHAR that fits the bytes says nothing.
TEST(GedcomVersions, ACharTheBytesDoNotBearOutIsReported) {
    const std::string corps = "0 @I1@ INDI\n1 NAME Andr\xC3\xA9\n0 TRLR\n";
    const std::string ascii = "0 @I1@ INDI\n1 NAME Andre\n0 TRLR\n";
    auto tete = [](const std::string& jeu) { return "0 HEAD\n1 CHAR " + jeu + "\n"; };
    const CasJeu cas[] = {
        {"KLINGON, UTF-8", tete("KLINGON") + corps, Encodage::Utf8, {"KLINGON", "lu en UTF-8"}},
        {"KLINGON, ASCII", tete("KLINGON") + ascii, Encodage::Utf8, {"KLINGON", "lu en UTF-8"}},
        {"KLINGON, 1252",
         tete("KLINGON") + "1 NOTE Andr\xE9\n0 TRLR\n",
         Encodage::Windows1252,
         {"KLINGON", "lu en Windows-1252"}},
        {"UNICODE, UTF-8", tete("UNICODE") + corps, Encodage::Utf8, {"UNICODE", "lu en UTF-8"}},
        {"UNICODE, ASCII", tete("UNICODE") + ascii, Encodage::Utf8, {"UNICODE", "lu en UTF-8"}},
        {"UNICODE, UTF-8 BOM",
         "\xEF\xBB\xBF" + tete("UNICODE") + ascii,
         Encodage::Utf8,
         {"UNICODE", "lu en UTF-8"}},
        {"ANSEL, UTF-16",
         "\xFF\xFE" + VersUtf16(tete("ANSEL") + corps),
         Encodage::Utf16LE,
         {"ANSEL", "lu en UTF-16LE"}},
        {"KLINGON, UTF-16",
         VersUtf16(tete("KLINGON") + corps),
         Encodage::Utf16LE,
         {"KLINGON", "lu en UTF-16LE"}},
        {"UTF-8", tete("UTF-8") + corps, Encodage::Utf8, {}},
        {"UNICODE, UTF-16", "\xFF\xFE" + VersUtf16(tete("UNICODE") + corps), Encodage::Utf16LE, {}},
        {"ANSI", tete("ANSI") + "1 NOTE Andr\xE9\n0 TRLR\n", Encodage::Windows1252, {}},
        {"ANSEL, ASCII", tete("ANSEL") + ascii, Encodage::Ansel, {}},
        {"ASCII", tete("ASCII") + ascii, Encodage::Ascii, {}},
    };
    for (const CasJeu& c : cas) {
        SCOPED_TRACE(c.Nom);
        const DocumentGedcom d = LitGedcom(c.Octets, "c.ged");
        EXPECT_EQ(d.Jeu, c.Lu);
        std::vector<std::string> generaux;
        for (const AvertissementGedcom& a : d.Avertissements)
            if (a.Ligne == 0) generaux.push_back(a.Texte);
        if (c.Avertissement.empty()) {
            EXPECT_EQ(generaux, std::vector<std::string>{});
            continue;
        }
        if (generaux.size() != 1) {
            ADD_FAILURE() << generaux.size() << " avertissement(s) sur tout le fichier";
            continue;
        }
        for (const std::string& morceau : c.Avertissement)
            EXPECT_NE(generaux[0].find(morceau), std::string::npos) << generaux[0];
    }
}

} // namespace
} // namespace orlavine
