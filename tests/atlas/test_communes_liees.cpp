// The side file of delegated, associated and former communes: what it says of each record,
// its bytes, and what it refuses.
#include "atlas/carte_france.h"
#include "atlas/erreurs.h"
#include "atlas/saisie.h"
#include "tests/commun/outils.h"

#include <gtest/gtest.h>

namespace orlavine {
namespace {

using test::Commune;
using test::Contient;
using test::DossierTemporaire;

// Sorted by name: ANCIENNE AUDIERNE ESQUIBIEN PONT-CROIX SAINT-MACAIRE SEVREMOINE VIEUX.
std::vector<TCommune> Communes() {
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

std::string Message(const std::vector<std::uint8_t>& octets, std::size_t n = 7) {
    return test::MessageDe<ErreurAtlas>([&] {
        std::vector<TCommuneLiee> l;
        LitCommunesLiees(octets, n, l);
    });
}

TEST(CommunesLiees, EachRecordSaysWhatItIsAndToWhichCommune) {
    DossierTemporaire dossier;
    dossier.EcritAtlas(Communes());
    {
        // Without the side file every commune is a current one.
        const TCarteFrance carte(dossier.Chemin());
        EXPECT_TRUE(carte.CommunesLiees.empty());
        EXPECT_EQ(carte.QualificatifCommune(2), "");
        EXPECT_EQ(carte.CommuneDeRattachement(2), -1);
    }
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

TEST(CommunesLiees, TheFileIsWrittenInTheClearAndReadBack) {
    const auto octets = EcritCommunesLiees(Liees(), 7);
    ASSERT_EQ(octets.size(), 14u + 4 * 5);
    EXPECT_EQ(std::string(octets.begin(), octets.begin() + 4), "CCLI");
    // Entry 2: index 2, delegated, parent 1.
    EXPECT_EQ(std::vector<std::uint8_t>(octets.begin() + 19, octets.begin() + 24),
              (std::vector<std::uint8_t>{2, 0, 1, 1, 0}));
    std::vector<TCommuneLiee> lues = {{9, TNatureCommune::Ancienne, 9}};
    LitCommunesLiees(octets, 7, lues);
    EXPECT_EQ(lues, Liees());
    LitCommunesLiees(EcritCommunesLiees({}, 7), 7, lues);
    EXPECT_TRUE(lues.empty());
}

TEST(CommunesLiees, DamageIsRefusedWithTheFileAndTheRecord) {
    const auto bons = EcritCommunesLiees(Liees(), 7);
    auto abime = [&](std::size_t position, std::uint8_t valeur) {
        auto o = bons;
        o[position] = valeur;
        return o;
    };
    // The header's version, count and length (shared code): in test_codes_postaux.cpp.
    const std::pair<std::vector<std::uint8_t>, const char*> cas[] = {
        {abime(0, 'X'), "Fichier \"ccliees.dat\" endommag\xC3\xA9 : signature CCLI absente."},
        {abime(10, 5), "il annonce 5 entr\xC3\xA9"
                       "es pour 20 octets"},
        {std::vector<std::uint8_t>(bons.begin(), bons.end() - 1), "il annonce 4 entr"},
        {abime(14 + 5 + 2, 7), "enregistrement 2 : nature 7 inconnue"},
        {abime(14 + 5, 9), "enregistrement 2 : commune 9 hors de la table (7 communes)"},
        {abime(14 + 5 * 2, 0), "enregistrement 3 : entr\xC3\xA9"
                               "es hors d'ordre"},
        {abime(14 + 5 * 3 + 3, 6), "enregistrement 4 : commune rattach\xC3\xA9"
                                   "e \xC3\xA0 elle-m\xC3\xAA"
                                   "me"},
        {abime(14 + 5 * 3 + 3, 2), "enregistrement 4 : rattach\xC3\xA9"
                                   "e \xC3\xA0 la commune 2, qui n'est pas une commune actuelle"},
    };
    for (const auto& [octets, message] : cas)
        EXPECT_TRUE(Contient(Message(octets), message)) << message;

    // The list in memory is kept when the file is refused, and the writer refuses what the
    // reader would.
    std::vector<TCommuneLiee> liees = Liees();
    EXPECT_THROW(LitCommunesLiees(abime(0, 'X'), 7, liees), ErreurAtlas);
    EXPECT_EQ(liees, Liees());
    liees[1].Parent = 0; // a former commune
    EXPECT_THROW(EcritCommunesLiees(liees, 7), ErreurAtlas);
    EXPECT_THROW(EcritCommunesLiees(Liees(), 5), ErreurAtlas);

    // An atlas whose side file does not fit its communes file is not built.
    DossierTemporaire dossier;
    dossier.EcritAtlas(Communes());
    dossier.Ecrit(NomFichierCommunesLiees, EcritCommunesLiees(Liees(), 8));
    EXPECT_TRUE(
        Contient(test::MessageDe<ErreurAtlas>([&] { TCarteFrance carte(dossier.Chemin()); }),
                 "celui-ci en a 7"));
}

} // namespace
} // namespace orlavine
