// The side files of "cc.dat": delegated, associated and former communes ("ccliees.dat"), the
// postal codes beyond a commune's own ("ccpostaux.dat") and the names as written
// ("ccnoms.dat"). Their bytes, what they refuse, an atlas folder with or without them, and
// what the atlas says and finds with them.
#include "atlas/carte_france.h"
#include "atlas/erreurs.h"
#include "atlas/recherche.h"
#include "atlas/saisie.h"
#include "tests/commun/outils.h"

#include <cmath>
#include <gtest/gtest.h>
#include <span>
#include <tuple>

namespace orlavine {
namespace {

using test::Contient;
using test::DossierTemporaire;
using Octets = std::vector<std::uint8_t>;
using CasAbime = std::pair<Octets, const char*>;

// `octets` with byte `position` set to `valeur`.
Octets Abime(Octets octets, std::size_t position, std::uint8_t valeur) {
    octets[position] = valeur;
    return octets;
}

// Each damaged copy raises a message holding its text, and leaves the list it was read into
// as it was.
template <class T, class Lit>
void VerifieRefus(Lit lit, std::size_t n, const std::vector<T>& liste,
                  std::span<const CasAbime> cas) {
    for (const auto& [octets, message] : cas) {
        std::vector<T> lue = liste;
        EXPECT_TRUE(Contient(test::MessageDe<ErreurAtlas>([&] { lit(octets, n, lue); }), message))
            << message;
        EXPECT_EQ(lue, liste) << message;
    }
}

// What the writer writes for `n` communes reads back the same, and an empty file empties the
// list.
template <class T, class Lit, class Ecrit>
void VerifieRelecture(Lit lit, Ecrit ecrit, std::size_t n, const std::vector<T>& liste,
                      const T& autre) {
    std::vector<T> lue = {autre};
    lit(ecrit(liste, n), n, lue);
    EXPECT_EQ(lue, liste);
    lit(ecrit({}, n), n, lue);
    EXPECT_TRUE(lue.empty());
}

// The message of the loading of the atlas in `dossier`.
std::string MessageChargement(const DossierTemporaire& dossier) {
    return test::MessageDe<ErreurAtlas>([&] { TCarteFrance carte(dossier.Chemin()); });
}

// ---- ccliees.dat ----

// Sorted by name: ANCIENNE AUDIERNE ESQUIBIEN PONT-CROIX SAINT-MACAIRE SEVREMOINE VIEUX.
std::vector<TCommune> CommunesLiees() {
    using test::Commune;
    return {Commune("ANCIENNE", "29100", 48.0f, -4.5f),
            Commune("AUDIERNE", "29003", 48.02f, -4.54f),
            Commune("ESQUIBIEN", "29049", 48.03f, -4.56f),
            Commune("PONT-CROIX", "29218", 48.04f, -4.49f),
            Commune("SAINT-MACAIRE", "49301", 47.1f, -1.0f),
            Commune("SEVREMOINE", "49301", 47.1f, -1.0f),
            Commune("VIEUX", "29200", 48.0f, -4.4f)};
}

std::vector<TCommuneLiee> Liees() {
    return {{0, TNatureCommune::Ancienne, 3},
            {2, TNatureCommune::Deleguee, 1},
            {4, TNatureCommune::Deleguee, 5},
            {6, TNatureCommune::Associee, 3}};
}

TEST(CommunesLiees, EachRecordSaysWhatItIsAndToWhichCommune) {
    DossierTemporaire dossier;
    dossier.EcritAtlas(CommunesLiees());
    {
        // Without the side file every commune is a current one.
        const TCarteFrance carte(dossier.Chemin());
        EXPECT_TRUE(carte.CommunesLiees.empty());
        EXPECT_EQ(carte.QualificatifCommune(2), "");
        EXPECT_EQ(carte.CommuneDeRattachement(2), -1);
    }
    dossier.Ecrit(NomFichierCommunesLiees, EcritCommunesLiees(Liees(), 8));
    EXPECT_TRUE(Contient(MessageChargement(dossier), "celui-ci en a 7"));
    dossier.Ecrit(NomFichierCommunesLiees, EcritCommunesLiees(Liees(), 7));
    const TCarteFrance carte(dossier.Chemin());
    EXPECT_EQ(carte.CommunesLiees, Liees());
    EXPECT_EQ(carte.NatureCommune(2), TNatureCommune::Deleguee);
    EXPECT_EQ(carte.NatureCommune(1), TNatureCommune::Actuelle);
    EXPECT_EQ(carte.NatureCommune(-1), TNatureCommune::Actuelle);
    EXPECT_EQ(carte.NatureCommune(99), TNatureCommune::Actuelle);
    EXPECT_EQ(carte.CommuneDeRattachement(2), 1);
    EXPECT_EQ(carte.CommuneDeRattachement(3), -1);
    EXPECT_EQ(carte.QualificatifCommune(2), "commune d\xE9l\xE9gu\xE9"
                                            "e d'Audierne");
    EXPECT_EQ(carte.QualificatifCommune(6), "commune associ\xE9"
                                            "e \xE0 Pont-Croix");
    EXPECT_EQ(carte.QualificatifCommune(0), "ancienne commune, rattach\xE9"
                                            "e \xE0 Pont-Croix");
    EXPECT_EQ(carte.QualificatifCommune(1), "");

    // A code shared by a delegated commune named before its current one: the current one
    // first; a partial code or a name search is left in table order.
    std::vector<std::uint16_t> r;
    carte.RechercheCommunes(r, "49301", -1, -1, SaisieCode);
    EXPECT_EQ(r, (std::vector<std::uint16_t>{4, 5}));
    carte.CommuneActuelleEnTete(r, "49301", SaisieCode);
    EXPECT_EQ(r, (std::vector<std::uint16_t>{5, 4}));
    carte.RechercheCommunes(r, "4930", -1, -1, SaisieCode);
    carte.CommuneActuelleEnTete(r, "4930", SaisieCode);
    EXPECT_EQ(r, (std::vector<std::uint16_t>{4, 5}));
    r = {4, 5};
    carte.CommuneActuelleEnTete(r, "49301", SaisieNom);
    EXPECT_EQ(r, (std::vector<std::uint16_t>{4, 5}));
}

TEST(CommunesLiees, BytesAndDamage) {
    const auto bons = EcritCommunesLiees(Liees(), 7);
    ASSERT_EQ(bons.size(), 14u + 4 * 5);
    EXPECT_EQ(std::string(bons.begin(), bons.begin() + 4), "CCLI");
    // Entry 2: index 2, delegated, parent 1.
    EXPECT_EQ(Octets(bons.begin() + 19, bons.begin() + 24), (Octets{2, 0, 1, 1, 0}));
    VerifieRelecture(LitCommunesLiees, EcritCommunesLiees, 7, Liees(),
                     TCommuneLiee{9, TNatureCommune::Ancienne, 9});

    // The header's version, count and length (shared code): in the postal codes' test.
    const CasAbime cas[] = {
        {Abime(bons, 0, 'X'), "Fichier \"ccliees.dat\" endommag\xC3\xA9 : signature CCLI absente."},
        {Abime(bons, 10, 5), "il annonce 5 entr\xC3\xA9"
                             "es pour 20 octets"},
        {Octets(bons.begin(), bons.end() - 1), "il annonce 4 entr"},
        {Abime(bons, 14 + 5 + 2, 7), "enregistrement 2 : nature 7 inconnue"},
        {Abime(bons, 14 + 5, 9), "enregistrement 2 : commune 9 hors de la table (7 communes)"},
        {Abime(bons, 14 + 5 * 2, 0), "enregistrement 3 : entr\xC3\xA9"
                                     "es hors d'ordre"},
        {Abime(bons, 14 + 5 * 3 + 3, 6), "enregistrement 4 : commune rattach\xC3\xA9"
                                         "e \xC3\xA0 elle-m\xC3\xAA"
                                         "me"},
        {Abime(bons, 14 + 5 * 3 + 3, 2),
         "enregistrement 4 : rattach\xC3\xA9"
         "e \xC3\xA0 la commune 2, qui n'est pas une commune actuelle"},
    };
    VerifieRefus(LitCommunesLiees, 7, Liees(), cas);

    // The writer refuses what the reader would.
    std::vector<TCommuneLiee> liees = Liees();
    liees[1].Parent = 0; // a former commune
    EXPECT_THROW(EcritCommunesLiees(liees, 7), ErreurAtlas);
    EXPECT_THROW(EcritCommunesLiees(Liees(), 5), ErreurAtlas);
}

// ---- ccpostaux.dat ----

TCommune AvecPostal(const char* nom, const char* insee, const char* postal) {
    TCommune c = test::Commune(nom, insee);
    c.CodePostal = postal;
    return c;
}

// Sorted by name: AUBAGNE BOUC-BEL-AIR LYON MARSEILLE.
std::vector<TCommune> CommunesPostales() {
    return {AvecPostal("AUBAGNE", "13005", "13400"), AvecPostal("BOUC-BEL-AIR", "13015", "13320"),
            AvecPostal("LYON", "69123", "69001"), AvecPostal("MARSEILLE", "13055", "13001")};
}

std::vector<TAutreCodePostal> Autres() {
    return {{2, "69005"}, {3, "13008"}, {3, "13015"}};
}

TEST(CodesPostaux, BytesAndDamage) {
    const auto bons = EcritCodesPostaux(Autres(), 4);
    ASSERT_EQ(bons.size(), 14u + 3 * 7);
    EXPECT_EQ(std::string(bons.begin(), bons.begin() + 4), "CCCP");
    // Entry 2: record 3, "13008".
    EXPECT_EQ(std::string(bons.begin() + 21, bons.begin() + 28),
              std::string("\x03\x00", 2) + "13008");
    VerifieRelecture(LitCodesPostaux, EcritCodesPostaux, 4, Autres(), TAutreCodePostal{9, "99999"});

    // The header's checks, shared by the three side files, are checked here only.
    const CasAbime cas[] = {
        {Abime(bons, 0, 'X'),
         "Fichier \"ccpostaux.dat\" endommag\xC3\xA9 : signature CCCP absente."},
        {Abime(bons, 4, 2), "version 2 inconnue (1 attendue)"},
        {Abime(bons, 6, 5), "il accompagne un \"cc.dat\" de 5 communes, celui-ci en a 4"},
        {Abime(bons, 10, 4), "il annonce 4 entr\xC3\xA9"
                             "es pour 21 octets"},
        {Octets(bons.begin(), bons.end() - 1), "il annonce 3 entr"},
        {Octets(bons.begin(), bons.begin() + 13), "en-t\xC3\xAAte incomplet"},
        {Abime(bons, 14 + 7, 4),
         "enregistrement 2 (octet 21) : commune 4 hors de la table (4 communes)"},
        {Abime(bons, 14 + 7 + 2 + 4, 'x'),
         "enregistrement 2 (octet 21) : code postal \"1300x\" invalide"},
        {Abime(bons, 14 + 7 + 2 + 4, 0),
         "enregistrement 2 (octet 21) : code postal \"1300?\" invalide"},
        {Abime(bons, 14 + 7 * 2 + 2 + 3, '0'), "enregistrement 3 (octet 28) : entr\xC3\xA9"
                                               "es hors d'ordre ou en double"},
        {Abime(bons, 14, 3), "enregistrement 2 (octet 21) : entr\xC3\xA9"
                             "es hors d'ordre"},
    };
    VerifieRefus(LitCodesPostaux, 4, Autres(), cas);

    // The writer and the atlas made of given data refuse what the reader would.
    EXPECT_THROW(EcritCodesPostaux({{0, "1300"}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritCodesPostaux({{3, "13008"}, {3, "13008"}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritCodesPostaux(Autres(), 3), ErreurAtlas);
    EXPECT_THROW(TCarteFrance({}, CommunesPostales(), test::NomsDepartements(), {}, {{4, "13008"}}),
                 ErreurAtlas);
}

std::vector<AnsiString> Noms(const TCarteFrance& carte, const std::string& saisie) {
    std::vector<AnsiString> noms;
    for (const std::uint16_t i : RechercheSaisie(carte, saisie).Communes)
        noms.push_back(carte.Communes[i].Nom);
    return noms;
}

TEST(CodesPostaux, AFolderWithOrWithoutTheFileAndTheCodeSearch) {
    DossierTemporaire dossier;
    dossier.EcritAtlas(CommunesPostales());
    {
        // Without the side file every commune has its one code.
        const TCarteFrance carte(dossier.Chemin());
        EXPECT_TRUE(carte.AutresCodesPostaux.empty());
        EXPECT_EQ(carte.CodesPostaux(3), std::vector<AnsiString>{"13001"});
        EXPECT_TRUE(Noms(carte, "13008").empty());
    }
    dossier.Ecrit(NomFichierCodesPostaux, EcritCodesPostaux(Autres(), 5));
    EXPECT_TRUE(Contient(MessageChargement(dossier),
                         "\"ccpostaux.dat\" endommag\xC3\xA9 : il accompagne un \"cc.dat\" de 5"));

    dossier.Ecrit(NomFichierCodesPostaux, EcritCodesPostaux(Autres(), 4));
    const TCarteFrance carte(dossier.Chemin());
    EXPECT_EQ(carte.AutresCodesPostaux, Autres());
    EXPECT_EQ(carte.CodesPostaux(3), (std::vector<AnsiString>{"13001", "13008", "13015"}));
    EXPECT_TRUE(carte.ACodePostal(3, "13001"));
    EXPECT_TRUE(carte.ACodePostal(3, "13015"));
    EXPECT_FALSE(carte.ACodePostal(3, "1300"));
    EXPECT_FALSE(carte.ACodePostal(3, ""));
    EXPECT_FALSE(carte.ACodePostal(4, "13001"));
    EXPECT_FALSE(carte.ACodePostal(-1, "13001"));
    EXPECT_TRUE(carte.CodesPostaux(7).empty());

    // Any code of the city finds it; INSEE matches stay first; a commune comes once.
    using V = std::vector<AnsiString>;
    EXPECT_EQ(Noms(carte, "13008"), V{"MARSEILLE"});
    EXPECT_EQ(Noms(carte, "69005"), V{"LYON"});
    EXPECT_EQ(Noms(carte, "69005 LYON"), V{"LYON"});
    EXPECT_EQ(Noms(carte, "13015"), (V{"BOUC-BEL-AIR", "MARSEILLE"}));
    EXPECT_EQ(RechercheSaisie(carte, "13015").NombreInsee, 1u);
    EXPECT_EQ(Noms(carte, "1300"), (V{"AUBAGNE", "MARSEILLE"}));
    EXPECT_EQ(Noms(carte, "130"), (V{"AUBAGNE", "BOUC-BEL-AIR", "MARSEILLE"}));
    EXPECT_TRUE(Noms(carte, "13009").empty());
}

// ---- ccnoms.dat ----

// Sorted by name: CRETEIL, HAVRE (article LE), LES-LOGES-EN-JOSAS, SAINT-CYR-L'ECOLE.
std::vector<TCommune> CommunesNommees() {
    return {test::Commune("CRETEIL", "94028", 48.78f, 2.45f),
            test::Commune("HAVRE", "76351", 49.5f, 0.1f, 6, "LE"),
            test::Commune("LES-LOGES-EN-JOSAS", "78343", 48.76f, 2.14f),
            test::Commune("SAINT-CYR-L'ECOLE", "78545", 48.80f, 2.06f)};
}

// Créteil and Saint-Cyr-l'École; the two others have none.
std::vector<TNomOfficiel> NomsOfficiels() {
    return {{0, "Cr\xE9teil"},
            {3, "Saint-Cyr-l'\xC9"
                "cole"}};
}

TEST(NomsOfficiels, BytesAndDamage) {
    const auto bons = EcritNomsOfficiels(NomsOfficiels(), 4);
    ASSERT_EQ(bons.size(), 14u + (3 + 7) + (3 + 17));
    EXPECT_EQ(std::string(bons.begin(), bons.begin() + 4), "CCNO");
    // Entry 2 at byte 24: record 3, 17 bytes, the name in Windows-1252.
    EXPECT_EQ(std::string(bons.begin() + 24, bons.end()), std::string("\x03\x00\x11", 3) +
                                                              "Saint-Cyr-l'\xC9"
                                                              "cole");
    VerifieRelecture(LitNomsOfficiels, EcritNomsOfficiels, 4, NomsOfficiels(),
                     TNomOfficiel{9, "X"});

    // An empty name: its length byte says 0, and the next entry's bytes follow.
    Octets sansNom = EcritNomsOfficiels({{0, "A"}}, 4);
    sansNom[16] = 0;
    sansNom.pop_back();
    Octets plus = bons;
    plus.push_back('x');
    // The header's version, count and length (shared code): in the postal codes' test.
    const CasAbime cas[] = {
        {Abime(bons, 0, 'X'), "Fichier \"ccnoms.dat\" endommag\xC3\xA9 : signature CCNO absente."},
        {Abime(bons, 10, 5), "il annonce 5 entr\xC3\xA9"
                             "es pour 30 octets"},
        {Abime(bons, 10, 0xFF), "il annonce 255 entr"},
        {Octets(bons.begin(), bons.end() - 1), "enregistrement 2 incomplet"},
        {plus, "1 octets apr\xC3\xA8s la derni\xC3\xA8re entr\xC3\xA9"
               "e"},
        {Abime(bons, 24, 4),
         "enregistrement 2 (octet 24) : commune 4 hors de la table (4 communes)"},
        {Abime(bons, 24, 0), "enregistrement 2 (octet 24) : entr\xC3\xA9"
                             "es hors d'ordre ou en double"},
        {Abime(bons, 27, ' '), "enregistrement 2 (octet 24) : espace au bord du nom"},
        {Abime(bons, 28, '\n'), "enregistrement 2 (octet 24) : caract\xC3\xA8re 10 interdit"},
        {Abime(bons, 17, 0x81), "enregistrement 1 (octet 14) : caract\xC3\xA8re 129 interdit"},
        {sansNom, "enregistrement 1 (octet 14) : nom vide"},
    };
    VerifieRefus(LitNomsOfficiels, 4, NomsOfficiels(), cas);

    // The writer and the atlas made of given data refuse what the reader would.
    EXPECT_THROW(EcritNomsOfficiels({{0, ""}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritNomsOfficiels({{0, std::string(256, 'a')}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritNomsOfficiels({{3, "A"}, {3, "B"}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritNomsOfficiels(NomsOfficiels(), 3), ErreurAtlas);
    EXPECT_THROW(TCarteFrance({}, CommunesNommees(), test::NomsDepartements(), {}, {}, {{4, "X"}}),
                 ErreurAtlas);
}

TEST(NomsOfficiels, AFolderWithOrWithoutTheFileGivesTheNameAsWritten) {
    DossierTemporaire dossier;
    dossier.EcritAtlas(CommunesNommees());
    {
        // Without the side file: the stored name re-cased, a leading "Les" not hyphenated.
        const TCarteFrance carte(dossier.Chemin());
        EXPECT_TRUE(carte.NomsOfficiels.empty());
        const char* const attendus[] = {"Creteil", "Le Havre", "Les Loges-en-Josas",
                                        "Saint-Cyr-l'Ecole"};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(carte.NomOfficiel(i), attendus[i]);
        EXPECT_EQ(carte.NomOfficiel(-1), "");
        EXPECT_EQ(carte.NomOfficiel(4), "");
    }
    dossier.Ecrit(NomFichierNomsOfficiels, EcritNomsOfficiels(NomsOfficiels(), 5));
    EXPECT_TRUE(Contient(MessageChargement(dossier),
                         "\"ccnoms.dat\" endommag\xC3\xA9 : il accompagne un \"cc.dat\" de 5"));

    dossier.Ecrit(NomFichierNomsOfficiels, EcritNomsOfficiels(NomsOfficiels(), 4));
    TCarteFrance carte(dossier.Chemin());
    EXPECT_EQ(carte.NomsOfficiels, NomsOfficiels());
    EXPECT_EQ(carte.NomOfficiel(0), "Cr\xE9teil");
    EXPECT_EQ(carte.NomOfficiel(1), "Le Havre"); // no entry: the stored name
    EXPECT_EQ(carte.NomOfficiel(3), "Saint-Cyr-l'\xC9"
                                    "cole");
    // The map's label is the name as written; the list keeps the stored one.
    carte.AjouteCommuneAffichee(3, "", false, true);
    ASSERT_EQ(carte.CommunesAffichees.size(), 1u);
    EXPECT_EQ(carte.CommunesAffichees[0].Libelle, "Saint-Cyr-l'\xC9"
                                                  "cole");
    EXPECT_EQ(TCarteFrance::NomComplet(carte.Communes[3]), "SAINT-CYR-L'ECOLE");
}

TEST(NomsOfficiels, TheNearestCommuneWithinARadius) {
    const TCarteFrance carte({}, CommunesNommees(), test::NomsDepartements());
    const std::tuple<double, double, double, int> cas[] = {
        {48.80, 2.06, 1.0, 3},  // on Saint-Cyr-l'École
        {48.77, 2.13, 10.0, 2}, // nearer Les Loges-en-Josas than Saint-Cyr
        {48.77, 2.13, 0.5, -1}, // none within 500 m
        {45.0, 5.0, 30.0, -1},  // far from all
        {std::nan(""), 2.0, 30.0, -1},
    };
    for (const auto& [lat, lon, rayon, attendu] : cas)
        EXPECT_EQ(carte.CommuneProche(lat, lon, rayon), attendu) << lat << " " << lon;
}

} // namespace
} // namespace orlavine
