// The GEDCOM reader and writer on small files written here, built in every character set and
// line-end style: what is read, what is reported, and that an export changes nothing but the
// coordinates asked for.
#include "genealogie/gedcom.h"
#include "tests/genealogie/texte_essai.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orlavine {
namespace {

using test::Iconv;
using test::Remplace;

// One family over three generations of French place layouts.
constexpr const char* Arbre = R"(0 HEAD
1 SOUR Essai
1 GEDC
2 VERS 5.5.1
2 FORM LINEAGE-LINKED
1 CHAR {CHAR}
1 PLAC
2 FORM Lieudit, Commune, Code_INSEE, Département, Région, Pays
0 @I1@ INDI
1 NAME Jean /Dupré/
1 BIRT
2 DATE 1 JAN 1850
2 PLAC La Croix, Saint-Étienne, 42218, Loire, Rhône-Alpes, France
3 MAP
4 LATI N45.4339
4 LONG E4.39
1 DEAT
2 PLAC , Lyon, 69123, Rhône, Rhône-Alpes, France
1 _UID 1234
1 NOTE courriel jean@@exemple.fr
0 @I2@ INDI
1 NAME Marie /Çabrol/
1 BIRT
2 PLAC Bellegarde en Forez,42210,42,,,
3 FORM Town , Area code , County , Region , Country, Subdivision
2 ADDR 3 rue des Forges
3 MAP
4 LATI 45,6
4 LONG 4,3E
1 RESI
2 PLAC Nantes, 44109, Loire-Atlantique, Pays de la Loire, Fran
3 CONC ce
2 _LATI 47.218
2 _LONG -1.553
0 @F1@ FAM
1 HUSB @I1@
1 WIFE @I2@
1 MARR
2 PLAC Montbrison, 42147, Loire, Rhône-Alpes, France
0 TRLR
)";

// The letters of the tree, marks before their letter.
std::string EnAnsel(std::string s) {
    for (const auto& [de, par] : std::vector<std::pair<std::string, std::string>>{{"É", "\xE2"
                                                                                        "E"},
                                                                                  {"é", "\xE2"
                                                                                        "e"},
                                                                                  {"ô", "\xE3"
                                                                                        "o"},
                                                                                  {"Ç", "\xF0"
                                                                                        "C"}})
        s = Remplace(s, de, par);
    return s;
}

struct Jeu {
    Encodage Encodage_;
    const char* Char;
    const char* Iconv; // nullptr: UTF-8 as written, or ANSEL
};

const Jeu Jeux[] = {
    {Encodage::Utf8, "UTF-8", nullptr},         {Encodage::Utf16LE, "UNICODE", "UTF-16LE"},
    {Encodage::Utf16BE, "UNICODE", "UTF-16BE"}, {Encodage::Ansel, "ANSEL", nullptr},
    {Encodage::Windows1252, "ANSI", "CP1252"},  {Encodage::Cp437, "IBMPC", "IBM437"},
    {Encodage::Cp850, "MS-DOS", "IBM850"},      {Encodage::MacRoman, "MACINTOSH", "MACINTOSH"},
    {Encodage::Latin1, "LATIN1", "ISO-8859-1"}, {Encodage::Ascii, "ASCII", nullptr},
};

std::string SansAccents(std::string s) {
    for (const auto& [de, par] : std::vector<std::pair<std::string, std::string>>{
             {"É", "E"}, {"é", "e"}, {"ô", "o"}, {"Ç", "C"}})
        s = Remplace(s, de, par);
    return s;
}

// The tree's bytes in a set, with a line end and an optional BOM.
std::string Fichier(const Jeu& jeu, const char* fin, bool bom, std::string texte = Arbre) {
    texte = Remplace(Remplace(texte, "{CHAR}", jeu.Char), "\n", fin);
    if (jeu.Encodage_ == Encodage::Ascii) texte = SansAccents(texte);
    if (jeu.Encodage_ == Encodage::Ansel) texte = EnAnsel(texte);
    if (jeu.Iconv) texte = Iconv(texte, jeu.Iconv);
    if (bom && jeu.Encodage_ == Encodage::Utf8) texte = "\xEF\xBB\xBF" + texte;
    if (bom && jeu.Encodage_ == Encodage::Utf16LE) texte = "\xFF\xFE" + texte;
    if (bom && jeu.Encodage_ == Encodage::Utf16BE) texte = "\xFE\xFF" + texte;
    return texte;
}

const LieuEvenement& Lieu(const DocumentGedcom& d, std::string_view proprietaire,
                          std::string_view evenement) {
    for (const LieuEvenement& l : d.Lieux)
        if (l.Proprietaire == proprietaire && l.Evenement == evenement) return l;
    throw std::runtime_error("lieu absent");
}

// The lines of a document as "level tag value", skipping what `saute` says.
std::vector<std::string> Lignes(const DocumentGedcom& d, bool sansCoordonnees) {
    std::vector<std::string> r;
    for (const LigneGedcom& l : d.Lignes) {
        if (sansCoordonnees &&
            (l.Etiquette == "MAP" || l.Etiquette == "LATI" || l.Etiquette == "LONG"))
            continue;
        r.push_back(std::to_string(l.Niveau) + " " + std::string(l.Etiquette) + " " +
                    std::string(l.Valeur));
    }
    return r;
}

bool Contient(const DocumentGedcom& d, std::uint32_t ligne, std::string_view texte) {
    return std::any_of(d.Avertissements.begin(), d.Avertissements.end(), [&](const auto& a) {
        return a.Ligne == ligne && a.Texte.find(texte) != std::string::npos;
    });
}

TEST(Gedcom, ChaqueJeuEtChaqueFinDeLigneSeRelisentEtSeReecriventALIdentique) {
    for (const Jeu& jeu : Jeux)
        for (const char* fin : {"\n", "\r\n", "\r"})
            for (const bool bom : {false, true}) {
                SCOPED_TRACE(std::string(jeu.Char) + " fin " + std::to_string(fin[0] + fin[1]) +
                             (bom ? " BOM" : ""));
                const std::string octets = Fichier(jeu, fin, bom);
                const DocumentGedcom d = LitGedcom(octets, "arbre.ged");
                const bool utf16 = LargeurUnite(jeu.Encodage_) == 2;
                EXPECT_EQ(d.Jeu, jeu.Encodage_);
                EXPECT_EQ(d.Bom, bom && (utf16 || jeu.Encodage_ == Encodage::Utf8));
                EXPECT_EQ(d.Lignes.size(), 40u);
                EXPECT_EQ(d.Fins, fin[0] == '\n' ? FinDeLigne::LF
                                  : fin[1]       ? FinDeLigne::CRLF
                                                 : FinDeLigne::CR);
                const std::string etienne =
                    jeu.Encodage_ == Encodage::Ascii ? "Saint-Etienne" : "Saint-Étienne";
                EXPECT_EQ(Lieu(d, "I1", "BIRT").Parties.Commune, etienne);
                EXPECT_EQ(d.Lignes[9].Valeur,
                          jeu.Encodage_ == Encodage::Ascii ? "Jean /Dupre/" : "Jean /Dupré/");
                EXPECT_EQ(EcritGedcom(d, {}), octets);

                // One position added, one replaced: the bytes are the input with only those
                // lines changed, and read back.
                const std::uint32_t lyon = Lieu(d, "I1", "DEAT").LignePlac;
                const std::uint32_t etienneLigne = Lieu(d, "I1", "BIRT").LignePlac;
                const std::string ecrit = EcritGedcom(
                    d, {{lyon, 45.767, 4.8345, false}, {etienneLigne, -3.5, -170, false}});
                const DocumentGedcom r = LitGedcom(ecrit, "sortie.ged");
                EXPECT_EQ(r.Jeu, d.Jeu);
                EXPECT_EQ(r.Lignes.size(), d.Lignes.size() + 3);
                EXPECT_EQ(Lignes(r, true), Lignes(d, true));
                ASSERT_TRUE(Lieu(r, "I1", "DEAT").Coordonnees);
                EXPECT_DOUBLE_EQ(Lieu(r, "I1", "DEAT").Coordonnees->Latitude, 45.767);
                EXPECT_DOUBLE_EQ(Lieu(r, "I1", "DEAT").Coordonnees->Longitude, 4.8345);
                EXPECT_EQ(Lieu(r, "I1", "BIRT").Coordonnees->Latitude, -3.5);
                EXPECT_EQ(Lieu(r, "I1", "BIRT").Coordonnees->Longitude, -170);
                EXPECT_EQ(r.Lignes[lyon].Valeur, "");
                EXPECT_EQ(r.Lignes[lyon + 1].Etiquette, "LATI");
                EXPECT_EQ(r.Lignes[lyon + 1].Valeur, "N45.767");
                EXPECT_EQ(r.Lignes[lyon + 2].Valeur, "E4.8345");
                EXPECT_EQ(r.Lignes[etienneLigne + 1].Valeur, "S3.5");
                EXPECT_EQ(r.Lignes[etienneLigne + 2].Valeur, "W170.0");
                // Everything before the first change is the same bytes, and so is the end.
                const std::size_t avant = d.Lignes[etienneLigne].Debut;
                EXPECT_EQ(ecrit.substr(0, avant), octets.substr(0, avant));
                const std::size_t apres = d.Lignes[lyon].Debut;
                EXPECT_EQ(ecrit.substr(ecrit.size() - (octets.size() - apres)),
                          octets.substr(apres));
            }
}

TEST(Gedcom, LieuxSelonLeurFormeEtLeurContenu) {
    const DocumentGedcom d = LitGedcom(Fichier(Jeux[0], "\n", false), "arbre.ged");
    EXPECT_EQ(d.Individus, 2u);
    EXPECT_EQ(d.Familles, 1u);
    EXPECT_EQ(d.Evenements, 5u);
    ASSERT_EQ(d.Lieux.size(), 5u);

    const LieuEvenement& naissance = Lieu(d, "I1", "BIRT");
    EXPECT_EQ(naissance.TypeProprietaire, "INDI");
    EXPECT_EQ(naissance.LignePlac, 13u);
    EXPECT_EQ(naissance.Parties, (PartiesLieu{"La Croix", "Saint-Étienne", "42218", "", "Loire",
                                              "Rhône-Alpes", "France"}));
    EXPECT_EQ(naissance.TexteLieu, "Saint-Étienne, 42218, Loire, Rhône-Alpes, France");
    ASSERT_TRUE(naissance.Coordonnees);
    EXPECT_EQ(naissance.Coordonnees->Source, SourceCoordonnees::PlacMap);
    EXPECT_DOUBLE_EQ(naissance.Coordonnees->Latitude, 45.4339);
    EXPECT_DOUBLE_EQ(naissance.Coordonnees->Longitude, 4.39);
    EXPECT_EQ(naissance.Coordonnees->NumeroLigne, 15u);

    // A blank lieu-dit slot: the same place record text as with a lieu-dit.
    const LieuEvenement& deces = Lieu(d, "I1", "DEAT");
    EXPECT_EQ(deces.Parties.LieuDit, "");
    EXPECT_EQ(deces.TexteLieu, "Lyon, 69123, Rhône, Rhône-Alpes, France");
    EXPECT_FALSE(deces.Coordonnees);

    // PLAC.FORM wins over the header's; the lieu-dit is the last slot; ADDR.MAP is read.
    const LieuEvenement& marie = Lieu(d, "I2", "BIRT");
    EXPECT_EQ(marie.Parties, (PartiesLieu{"", "Bellegarde en Forez", "", "42210", "42", "", ""}));
    EXPECT_EQ(marie.TexteLieu, "Bellegarde en Forez, 42210, 42");
    ASSERT_TRUE(marie.Coordonnees);
    EXPECT_EQ(marie.Coordonnees->Source, SourceCoordonnees::AddrMap);
    EXPECT_DOUBLE_EQ(marie.Coordonnees->Latitude, 45.6);
    EXPECT_DOUBLE_EQ(marie.Coordonnees->Longitude, 4.3);

    // CONC joined; the header's FORM has a lieu-dit slot this place left out: the code
    // puts the slots back in line. _LATI/_LONG are read.
    const LieuEvenement& residence = Lieu(d, "I2", "RESI");
    EXPECT_EQ(residence.Texte, "Nantes, 44109, Loire-Atlantique, Pays de la Loire, France");
    EXPECT_EQ(residence.Parties, (PartiesLieu{"", "Nantes", "44109", "", "Loire-Atlantique",
                                              "Pays de la Loire", "France"}));
    ASSERT_TRUE(residence.Coordonnees);
    EXPECT_EQ(residence.Coordonnees->Source, SourceCoordonnees::LatiLong);
    EXPECT_DOUBLE_EQ(residence.Coordonnees->Longitude, -1.553);

    const LieuEvenement& mariage = Lieu(d, "F1", "MARR");
    EXPECT_EQ(mariage.TypeProprietaire, "FAM");
    EXPECT_EQ(mariage.Parties.Commune, "Montbrison");
    EXPECT_EQ(d.CoordonneesLues, 3u);

    EXPECT_EQ(d.Lignes[19].Valeur, "courriel jean@exemple.fr");
    EXPECT_EQ(d.Lignes[35].Valeur, "@I1@");
    EXPECT_EQ(d.Version, "5.5.1");
    EXPECT_EQ(d.CharDeclare, "UTF-8");
    EXPECT_TRUE(Contient(d, 19, "« _UID »"));
    EXPECT_TRUE(Contient(d, 33, "2 ligne(s) d'étiquette inconnue « _LATI »") ||
                Contient(d, 33, "« _LATI »"));
}

TEST(Gedcom, LignesHorsNormeGardeesEtSignalees) {
    const std::string longue(300, 'x');
    const std::string octets = "0 HEAD\r1 CHAR UTF-8\r0 @I1@ INDI\r  1 BIRT\r3 PLAC Paris\r"
                               "n'importe quoi\r\r1 NOTE " +
                               longue + "\r1 _NOUVEAU valeur\r1 EVEN\r2 PLAC Caen";
    const DocumentGedcom d = LitGedcom(octets, "bizarre.ged");
    EXPECT_EQ(d.Lignes.size(), 11u);
    EXPECT_EQ(d.LignesIgnorees, 2u);
    EXPECT_TRUE(Contient(d, 4, "ligne(s) commençant par des espaces"));
    EXPECT_TRUE(Contient(d, 5, "saut de niveau (3 après 1)"));
    EXPECT_TRUE(Contient(d, 6, "ligne illisible"));
    EXPECT_TRUE(Contient(d, 7, "ligne(s) vide(s)"));
    EXPECT_TRUE(Contient(d, 8, "307 caractères"));
    EXPECT_TRUE(Contient(d, 9, "« _NOUVEAU »"));
    EXPECT_TRUE(Contient(d, 11, "0 TRLR"));
    // The level jump hangs the PLAC on the line before it.
    EXPECT_EQ(Lieu(d, "I1", "BIRT").Texte, "Paris");
    EXPECT_EQ(d.Lignes[4].Parent, 3u);
    EXPECT_EQ(EcritGedcom(d, {}), octets);

    // The last line has no line end: the new lines go after it, still without one at the end.
    const std::string ecrit = EcritGedcom(d, {{11, 49.18, -0.37, false}});
    EXPECT_EQ(ecrit, octets + "\r3 MAP\r4 LATI N49.18\r4 LONG W0.37");
    EXPECT_DOUBLE_EQ(Lieu(LitGedcom(ecrit, "x"), "I1", "EVEN").Coordonnees->Longitude, -0.37);
}

TEST(Gedcom, JeuxDeclaresContreLeContenu) {
    // Valid UTF-8 that claims ANSI is read as UTF-8, with a warning.
    DocumentGedcom d =
        LitGedcom("0 HEAD\n1 CHAR ANSI\n0 @I1@ INDI\n1 NAME Andr\xC3\xA9\n0 TRLR\n", "a.ged");
    EXPECT_EQ(d.Jeu, Encodage::Utf8);
    EXPECT_EQ(d.Lignes[3].Valeur, "André");
    EXPECT_TRUE(Contient(d, 0, "UTF-8 valide"));
    // ANSI as declared.
    d = LitGedcom("0 HEAD\n1 CHAR ANSI\n0 @I1@ INDI\n1 NAME Andr\xE9\n0 TRLR\n", "a.ged");
    EXPECT_EQ(d.Jeu, Encodage::Windows1252);
    EXPECT_EQ(d.Lignes[3].Valeur, "André");
    // Declared UTF-8 with a stray byte: read as UTF-8, the byte replaced and reported.
    d = LitGedcom("0 HEAD\n1 CHAR UTF-8\n1 NOTE Andr\xE9\n0 TRLR\n", "a.ged");
    EXPECT_EQ(d.Lignes[2].Valeur, "Andr\xEF\xBF\xBD");
    EXPECT_TRUE(Contient(d, 3, "remplacé"));
    EXPECT_EQ(EcritGedcom(d, {}), "0 HEAD\n1 CHAR UTF-8\n1 NOTE Andr\xE9\n0 TRLR\n");
    // Blank lines before the header do not hide its CHAR.
    d = LitGedcom("\r\n\r\n0 HEAD\r\n1 CHAR ANSEL\r\n1 NOTE \xE2"
                  "e\r\n0 TRLR\r\n",
                  "a.ged");
    EXPECT_EQ(d.Jeu, Encodage::Ansel);
    EXPECT_EQ(d.Lignes[4].Valeur, "é");
    // UTF-16 without a BOM that starts with a blank line.
    d = LitGedcom(Iconv("\r\n0 HEAD\r\n1 NOTE Ã©\r\n0 TRLR\r\n", "UTF-16BE"), "u.ged");
    EXPECT_EQ(d.Jeu, Encodage::Utf16BE);
    EXPECT_EQ(d.Lignes[2].Valeur, "Ã©");
    // No CHAR and not UTF-8.
    d = LitGedcom("0 HEAD\n1 NOTE Andr\xE9\n0 TRLR\n", "a.ged");
    EXPECT_EQ(d.Jeu, Encodage::Windows1252);
    EXPECT_TRUE(Contient(d, 0, "non déclaré"));
    // GEDCOM 7: "@@" only at the start of a value stands for "@".
    d = LitGedcom("0 HEAD\n1 GEDC\n2 VERS 7.0\n1 NOTE @@a@@b\n0 TRLR\n", "7.ged");
    EXPECT_EQ(d.Lignes[3].Valeur, "@a@@b");
}

TEST(Gedcom, CoordonneesMalFormeesOuHorsLimites) {
    const std::string octets = "0 HEAD\n0 @I1@ INDI\n"
                               "1 BIRT\n2 PLAC A\n3 MAP\n4 LATI N95\n4 LONG E2\n"
                               "1 DEAT\n2 PLAC B\n3 MAP\n4 LATI E2.35\n4 LONG N48.85\n"
                               "1 BURI\n2 PLAC C\n3 MAP\n4 LATI 0\n4 LONG 0\n"
                               "1 CHR\n2 PLAC D\n3 MAP\n4 LATI quarante\n4 LONG 2\n"
                               "1 RESI\n2 PLAC E\n3 MAP\n4 LATI 48.1 N\n"
                               "1 EVEN\n2 PLAC F\n2 MAP\n3 LATI S12,5\n3 LONG 44.5W\n0 TRLR\n";
    const DocumentGedcom d = LitGedcom(octets, "c.ged");
    EXPECT_FALSE(Lieu(d, "I1", "BIRT").Coordonnees);
    EXPECT_TRUE(Contient(d, 6, "hors limites"));
    ASSERT_TRUE(Lieu(d, "I1", "DEAT").Coordonnees);
    EXPECT_DOUBLE_EQ(Lieu(d, "I1", "DEAT").Coordonnees->Latitude, 48.85);
    EXPECT_DOUBLE_EQ(Lieu(d, "I1", "DEAT").Coordonnees->Longitude, 2.35);
    EXPECT_TRUE(Contient(d, 11, "inversées"));
    EXPECT_FALSE(Lieu(d, "I1", "BURI").Coordonnees);
    EXPECT_TRUE(Contient(d, 16, "0, 0"));
    EXPECT_FALSE(Lieu(d, "I1", "CHR").Coordonnees);
    EXPECT_TRUE(Contient(d, 21, "« quarante »"));
    EXPECT_FALSE(Lieu(d, "I1", "RESI").Coordonnees);
    EXPECT_TRUE(Contient(d, 26, "sans longitude"));
    // A MAP written under the event itself.
    ASSERT_TRUE(Lieu(d, "I1", "EVEN").Coordonnees);
    EXPECT_EQ(Lieu(d, "I1", "EVEN").Coordonnees->Source, SourceCoordonnees::EvenMap);
    EXPECT_DOUBLE_EQ(Lieu(d, "I1", "EVEN").Coordonnees->Latitude, -12.5);
    EXPECT_DOUBLE_EQ(Lieu(d, "I1", "EVEN").Coordonnees->Longitude, -44.5);
}

TEST(Gedcom, CoordonneesDesEnregistrementsDeLieux) {
    const DocumentGedcom d = LitGedcom("0 HEAD\n0 @I1@ INDI\n1 BIRT\n2 PLAC Brest\n"
                                       "1 DEAT\n2 PLAC Quimper\n3 _LOC @L1@\n"
                                       "0 _PLAC Brest\n1 MAP\n2 LATI N48.39\n2 LONG W4.49\n"
                                       "0 @L1@ _LOC\n1 NAME Quimper\n1 MAP\n2 LATI N47.99\n"
                                       "2 LONG W4.1\n0 _PLAC_DEFN\n1 PLAC Morlaix\n2 MAP\n"
                                       "3 LATI N48.58\n3 LONG W3.83\n0 @I2@ INDI\n1 BIRT\n"
                                       "2 PLAC Morlaix\n1 RESI\n2 PLAC Philadelphie, "
                                       "Pennsylvanie, Ãtats-Unis, 395945N0751013W\n0 TRLR\n",
                                       "r.ged");
    // The PLAC of the place definition is no event's place.
    ASSERT_EQ(d.Lieux.size(), 4u);
    for (const auto& [qui, quoi, latitude] :
         {std::tuple{"I1", "BIRT", 48.39}, std::tuple{"I1", "DEAT", 47.99},
          std::tuple{"I2", "BIRT", 48.58}}) {
        const LieuEvenement& l = Lieu(d, qui, quoi);
        ASSERT_TRUE(l.Coordonnees) << l.Texte;
        EXPECT_EQ(l.Coordonnees->Source, SourceCoordonnees::EnregistrementLieu);
        EXPECT_DOUBLE_EQ(l.Coordonnees->Latitude, latitude);
    }
    // A position ending the place text, in degrees, minutes and seconds.
    const LieuEvenement& philadelphie = Lieu(d, "I2", "RESI");
    ASSERT_TRUE(philadelphie.Coordonnees);
    EXPECT_EQ(philadelphie.Coordonnees->Source, SourceCoordonnees::TextePlac);
    EXPECT_NEAR(philadelphie.Coordonnees->Latitude, 39 + 59 / 60.0 + 45 / 3600.0, 1e-12);
    EXPECT_NEAR(philadelphie.Coordonnees->Longitude, -(75 + 10 / 60.0 + 13 / 3600.0), 1e-12);
    EXPECT_EQ(philadelphie.TexteLieu, "Philadelphie, Pennsylvanie, Ãtats-Unis");
    EXPECT_EQ(philadelphie.Parties.Pays, "Ãtats-Unis");
    double la = 0, lo = 0;
    std::string_view reste;
    EXPECT_TRUE(LitCoordonneesTexte("395945S0751013E", la, lo, reste));
    EXPECT_LT(la, 0);
    EXPECT_GT(lo, 0);
    EXPECT_EQ(reste, "");
    for (const char* faux : {"Lyon395945N0751013W", "Lyon, 396045N0751013W", "Lyon, 395945N075101W",
                             "Lyon, 395945X0751013W"})
        EXPECT_FALSE(LitCoordonneesTexte(faux, la, lo, reste)) << faux;
}

TEST(Gedcom, EcritureRemplaceOuRetireLaCarteSeulement) {
    const std::string octets = "0 HEAD\n0 @I1@ INDI\n1 BIRT\n2 PLAC A\n3 FORM Commune\n"
                               "3 MAP\n4 LATI N1\n4 _PREC 10\n4 LONG E1\n3 NOTE n\n"
                               "2 DATE 1900\n0 TRLR\n";
    const DocumentGedcom d = LitGedcom(octets, "e.ged");
    EXPECT_EQ(EcritGedcom(d, {{4, 2.123456789, 3, false}}),
              "0 HEAD\n0 @I1@ INDI\n1 BIRT\n2 PLAC A\n3 FORM Commune\n"
              "3 MAP\n4 LATI N2.123457\n4 LONG E3.0\n4 _PREC 10\n3 NOTE n\n"
              "2 DATE 1900\n0 TRLR\n");
    // Removing: what else the MAP holds stays, and the MAP with it.
    EXPECT_EQ(EcritGedcom(d, {{4, 0, 0, true}}),
              "0 HEAD\n0 @I1@ INDI\n1 BIRT\n2 PLAC A\n3 FORM Commune\n3 MAP\n4 _PREC 10\n"
              "3 NOTE n\n2 DATE 1900\n0 TRLR\n");
    const DocumentGedcom simple =
        LitGedcom("0 HEAD\r\n0 @I1@ INDI\r\n1 BIRT\r\n2 PLAC A\r\n3 MAP\r\n4 LONG E1\r\n"
                  "4 LATI N1\r\n3 MAP\r\n4 LATI N2\r\n4 LONG E2\r\n0 TRLR\r\n",
                  "s.ged");
    EXPECT_EQ(EcritGedcom(simple, {{4, 0, 0, true}}),
              "0 HEAD\r\n0 @I1@ INDI\r\n1 BIRT\r\n2 PLAC A\r\n0 TRLR\r\n");
    // Two MAPs become one, LATI before LONG.
    EXPECT_EQ(EcritGedcom(simple, {{4, 3, 4, false}}),
              "0 HEAD\r\n0 @I1@ INDI\r\n1 BIRT\r\n2 PLAC A\r\n3 MAP\r\n4 LATI N3.0\r\n"
              "4 LONG E4.0\r\n0 TRLR\r\n");
    // The last change for a PLAC wins.
    EXPECT_EQ(EcritGedcom(d, {{4, 5, 5, false}, {4, 0, 0, true}}),
              EcritGedcom(d, {{4, 0, 0, true}}));
    // After a level jump, the new MAP takes the old one's level so that the CONC after it
    // still belongs to the PLAC.
    const DocumentGedcom saut =
        LitGedcom("0 HEAD\n0 @I1@ INDI\n1 BIRT\n2 PLAC A\n4 MAP\n5 LATI N1\n5 LONG E1\n"
                  "4 CONC B\n",
                  "j");
    const std::string sautEcrit = EcritGedcom(saut, {{4, 2, 2, false}});
    EXPECT_EQ(sautEcrit, "0 HEAD\n0 @I1@ INDI\n1 BIRT\n2 PLAC A\n4 MAP\n5 LATI N2.0\n"
                         "5 LONG E2.0\n4 CONC B\n");
    const DocumentGedcom sautRelu = LitGedcom(sautEcrit, "j");
    ASSERT_EQ(sautRelu.Lieux.size(), 1u);
    EXPECT_EQ(sautRelu.Lieux[0].Texte, "AB");

    EXPECT_THROW(EcritGedcom(d, {{3, 1, 1, false}}), ErreurGenealogie);
    EXPECT_THROW(EcritGedcom(d, {{99, 1, 1, false}}), ErreurGenealogie);
    EXPECT_THROW(EcritGedcom(d, {{4, 91, 1, false}}), ErreurGenealogie);
}

TEST(Gedcom, RefusEtAnnulation) {
    EXPECT_THROW(LitGedcom("", "vide.ged"), ErreurGenealogie);
    EXPECT_THROW(LitGedcom("bonjour\n0 HEAD\n", "texte.ged"), ErreurGenealogie);
    EXPECT_THROW(LitGedcom("\n\n1 HEAD\n", "texte.ged"), ErreurGenealogie);
    try {
        LitGedcom("\x89PNG", "image.ged");
        FAIL();
    } catch (const ErreurGenealogie& e) {
        EXPECT_EQ(std::string(e.what()).rfind("\"image.ged\", ligne 1 : ", 0), 0u) << e.what();
    }
    OptionsLecture options;
    options.Progression = [](std::uint64_t, std::uint64_t) { return false; };
    EXPECT_THROW(LitGedcom("0 HEAD\n0 TRLR\n", "a.ged", options), LectureGedcomAnnulee);
}

TEST(Gedcom, AtlasProgressionEtFinsMelangees) {
    const std::string octets = "0 HEAD\r\n0 @I1@ INDI\n1 BIRT\r2 PLAC Le Bourg, Montbrison, "
                               "Loire\r\n1 DEAT\n2 PLAC Le Bourg, Feurs, Loire\n0 TRLR\r\n";
    OptionsLecture options;
    options.EstCommune = [](std::string_view nom) { return nom == "Montbrison"; };
    std::vector<std::uint64_t> etapes;
    options.Progression = [&](std::uint64_t lus, std::uint64_t total) {
        EXPECT_EQ(total, octets.size());
        etapes.push_back(lus);
        return true;
    };
    const DocumentGedcom d = LitGedcom(octets, "m.ged", options);
    ASSERT_FALSE(etapes.empty());
    EXPECT_TRUE(std::is_sorted(etapes.begin(), etapes.end()));
    EXPECT_EQ(etapes.back(), octets.size());
    EXPECT_EQ(Lieu(d, "I1", "BIRT").Parties.LieuDit, "Le Bourg");
    EXPECT_EQ(Lieu(d, "I1", "BIRT").Parties.Commune, "Montbrison");
    // The atlas does not know Feurs: the first element is taken for the town.
    EXPECT_EQ(Lieu(d, "I1", "DEAT").Parties.Commune, "Le Bourg");
    EXPECT_EQ(d.Fins, FinDeLigne::CRLF);
    EXPECT_TRUE(Contient(d, 0, "fins de ligne mélangées (3 LF, 3 CRLF, 1 CR)"));
    EXPECT_EQ(EcritGedcom(d, {}), octets);
    // Lines added after a PLAC take that line's own end.
    EXPECT_EQ(EcritGedcom(d, {{4, 45.6, 4.06, false}}),
              "0 HEAD\r\n0 @I1@ INDI\n1 BIRT\r2 PLAC Le Bourg, Montbrison, Loire\r\n"
              "3 MAP\r\n4 LATI N45.6\r\n4 LONG E4.06\r\n1 DEAT\n2 PLAC Le Bourg, Feurs, "
              "Loire\n0 TRLR\r\n");
}

TEST(LieuxGedcom, EtiquettesDeForme) {
    using J = Juridiction;
    EXPECT_EQ(
        LitFormeLieu("Lieu-dit, Ville, Code INSEE, DÉPARTEMENT, region, Country"),
        (std::vector<J>{J::LieuDit, J::Commune, J::CodeInsee, J::Departement, J::Region, J::Pays}));
    EXPECT_EQ(LitFormeLieu("Hameau,Town,Area code,County,Région,Pays,Paroisse"),
              (std::vector<J>{J::LieuDit, J::Commune, J::CodePostal, J::Departement, J::Region,
                              J::Pays, J::Inconnue}));
    EXPECT_EQ(LitFormeLieu("Subdivision, Commune, Code_postal"),
              (std::vector<J>{J::LieuDit, J::Commune, J::CodePostal}));
    EXPECT_TRUE(LitFormeLieu("  ").empty());
}

TEST(LieuxGedcom, DispositionsSansForme) {
    std::string texte;
    EXPECT_EQ(DecoupeLieu("Lassigny, 60350, Oise, Picardie, France, ", {}, {}, &texte),
              (PartiesLieu{"", "Lassigny", "", "60350", "Oise", "Picardie", "France"}));
    EXPECT_EQ(texte, "Lassigny, 60350, Oise, Picardie, France");
    EXPECT_EQ(DecoupeLieu("Bellegarde en Forez,42210,42,,,Le Bourg", {}, {}, &texte),
              (PartiesLieu{"Le Bourg", "Bellegarde en Forez", "", "42210", "42", "", ""}));
    EXPECT_EQ(texte, "Bellegarde en Forez, 42210, 42");
    EXPECT_EQ(
        DecoupeLieu("[Les Granges] - Montbrison, 42147, Loire, Rhône-Alpes, FRANCE", {}, {},
                    &texte),
        (PartiesLieu{"Les Granges", "Montbrison", "", "42147", "Loire", "Rhône-Alpes", "FRANCE"}));
    EXPECT_EQ(texte, "Montbrison, 42147, Loire, Rhône-Alpes, FRANCE");
    EXPECT_EQ(DecoupeLieu("La Croix, Saint-Étienne, 42218, Loire, , France", {}, {}, &texte),
              (PartiesLieu{"La Croix", "Saint-Étienne", "", "42218", "Loire", "", "France"}));
    EXPECT_EQ(texte, "Saint-Étienne, 42218, Loire, , France");
    EXPECT_EQ(DecoupeLieu("Ajaccio, 2A004, Corse-du-Sud", {}).CodeInsee, "2A004");
    EXPECT_EQ(DecoupeLieu("Paris", {}).Commune, "Paris");

    // Without a code, the atlas tells the town from the lieu-dit.
    const TestCommune atlas = [](std::string_view nom) { return nom == "Montbrison"; };
    EXPECT_EQ(DecoupeLieu("Le Bourg, Montbrison, Loire, Rhône-Alpes, France", {}, atlas, &texte),
              (PartiesLieu{"Le Bourg", "Montbrison", "", "", "Loire", "Rhône-Alpes", "France"}));
    EXPECT_EQ(texte, "Montbrison, Loire, Rhône-Alpes, France");
    EXPECT_EQ(DecoupeLieu("Montbrison, Loire, Rhône-Alpes, France", {}, atlas).Commune,
              "Montbrison");
    EXPECT_EQ(DecoupeLieu(", Montbrison, , Loire, Rhône-Alpes, France", {}, {}),
              (PartiesLieu{"", "Montbrison", "", "", "Loire", "Rhône-Alpes", "France"}));
}

TEST(LieuxGedcom, CoordonneesLuesEtEcrites) {
    char lettre = 0;
    auto lit = [&](std::string_view v) { return LitCoordonnee(v, lettre); };
    EXPECT_EQ(lit("N48.85"), 48.85);
    EXPECT_EQ(lettre, 'N');
    EXPECT_EQ(lit("E2.35"), 2.35);
    EXPECT_EQ(lit("-2.35"), -2.35);
    EXPECT_EQ(lettre, 0);
    EXPECT_EQ(lit("48.85N"), 48.85);
    EXPECT_EQ(lit(" 2,35 E "), 2.35);
    EXPECT_EQ(lit("W1,5"), -1.5);
    EXPECT_EQ(lit("s 12.5"), -12.5);
    EXPECT_EQ(lettre, 'S');
    EXPECT_EQ(lit("O2.5"), -2.5);
    EXPECT_EQ(lettre, 'W');
    EXPECT_EQ(lit("45\xC2\xB0"), 45);
    for (const char* faux : {"N-12", "", "abc", "12.3.4", "N", "1e5", "--1"})
        EXPECT_FALSE(lit(faux)) << faux;

    EXPECT_EQ(EcritLatitude(48.8566), "N48.8566");
    EXPECT_EQ(EcritLongitude(-1.5), "W1.5");
    EXPECT_EQ(EcritLatitude(45), "N45.0");
    EXPECT_EQ(EcritLongitude(2.123456789), "E2.123457");
    EXPECT_EQ(EcritLatitude(-0.0000001), "N0.0");
}

} // namespace
} // namespace orlavine
