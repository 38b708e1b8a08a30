// The world file: what is written reads back the same, and a damaged or missing file raises
// ErreurGeocodeur naming the file, never a crash or a half-read table.
#include "geocodeur/geocodeur.h"
#include "geocodeur/monde.h"
#include "monde_essai.h"
#include "tests/commun/outils.h"

#include <gtest/gtest.h>

namespace orlavine::geocodeur {
namespace {

using test::Contient;
using test::MessageDe;

TEST(FichierMonde, ReadsBackWhatWasWritten) {
    const DonneesMonde d = essai::MondeEssai();
    const auto octets = EcritMonde(d);
    const TMonde m(octets, "essai.dat");
    EXPECT_EQ(m.Pays, d.Pays);
    EXPECT_EQ(m.Provinces, d.Provinces);
    EXPECT_EQ(m.Departements, d.Departements);
    EXPECT_EQ(m.Regions, d.Regions);
    EXPECT_EQ(m.Lieux, d.Lieux);
    EXPECT_EQ(m.ToutesLesCles(), d.Cles);
    EXPECT_EQ(m.NomLieu(3), "London");
    for (const TCleLieux& c : d.Cles)
        EXPECT_EQ(m.Cibles(c.Cle), c.Cibles) << c.Cle;
    EXPECT_TRUE(m.Cibles("ZZZ").empty());
    EXPECT_TRUE(m.Cibles("").empty());
    EXPECT_TRUE(m.Cibles("A").empty());
}

TEST(FichierMonde, KeysAcrossManyBlocks) {
    // Enough keys for several blocks, sharing long prefixes.
    DonneesMonde d = essai::MondeEssai();
    d.Cles.clear();
    for (int i = 0; i < 100; ++i) {
        char cle[32];
        std::snprintf(cle, sizeof cle, "SAINT MARTIN %03d", i);
        d.Cles.push_back({cle, {static_cast<std::uint32_t>(i % d.Lieux.size()) * 2}});
    }
    const TMonde m(EcritMonde(d), "essai.dat");
    EXPECT_EQ(m.NombreCles(), 100u);
    for (const TCleLieux& c : d.Cles)
        EXPECT_EQ(m.Cibles(c.Cle), c.Cibles) << c.Cle;
    EXPECT_TRUE(m.Cibles("SAINT MARTIN 0305").empty());
    EXPECT_TRUE(m.Cibles("SAINT MARTIN").empty());
    EXPECT_TRUE(m.Cibles("SAINT MARTIN 100").empty());
}

TEST(FichierMonde, WriterRefusesWhatTheReaderWouldRefuse) {
    DonneesMonde desordre = essai::MondeEssai();
    std::swap(desordre.Cles[0], desordre.Cles[1]);
    EXPECT_THROW(EcritMonde(desordre), ErreurGeocodeur);
    DonneesMonde horsLimites = essai::MondeEssai();
    horsLimites.Cles[0].Cibles.push_back(static_cast<std::uint32_t>(horsLimites.Lieux.size()) * 2);
    EXPECT_THROW(EcritMonde(horsLimites), ErreurGeocodeur);
    DonneesMonde vide = essai::MondeEssai();
    vide.Cles[0].Cibles.clear();
    EXPECT_THROW(EcritMonde(vide), ErreurGeocodeur);
}

TEST(FichierMonde, EveryTruncationIsRefusedWithTheFileName) {
    const auto octets = EcritMonde(essai::MondeEssai());
    for (std::size_t n = 0; n < octets.size(); ++n) {
        const std::vector<std::uint8_t> tronque(octets.begin(), octets.begin() + n);
        const std::string m = MessageDe<ErreurGeocodeur>([&] { TMonde(tronque, "monde.dat"); });
        ASSERT_TRUE(Contient(m, "\"monde.dat\"")) << n;
    }
}

TEST(FichierMonde, DamageIsFoundEvenWhereLengthsStillFit) {
    const auto octets = EcritMonde(essai::MondeEssai());
    // Any changed byte of the body breaks the checksum.
    for (std::size_t i = 32; i < octets.size(); i += 7) {
        auto abime = octets;
        abime[i] ^= 0x20;
        EXPECT_TRUE(Contient(MessageDe<ErreurGeocodeur>([&] { TMonde(abime, "monde.dat"); }),
                             "somme de contr\xC3\xB4le"))
            << i;
    }
    auto signature = octets;
    signature[0] = 'X';
    EXPECT_TRUE(
        Contient(MessageDe<ErreurGeocodeur>([&] { TMonde(signature, "monde.dat"); }), "signature"));
    auto version = octets;
    version[8] = 9;
    EXPECT_TRUE(
        Contient(MessageDe<ErreurGeocodeur>([&] { TMonde(version, "monde.dat"); }), "version 9"));
    auto plus = octets;
    plus.push_back(0);
    EXPECT_TRUE(Contient(MessageDe<ErreurGeocodeur>([&] { TMonde(plus, "monde.dat"); }), "taille"));
}

TEST(FichierMonde, ConsistentChecksumButBrokenContent) {
    // A body that a faulty writer could produce: the checksum agrees, the content does not.
    // Each is refused by the checks behind the checksum, naming the record.
    DonneesMonde d = essai::MondeEssai();
    d.Lieux[2].Pays = 200;
    EXPECT_TRUE(Contient(MessageDe<ErreurGeocodeur>([&] { TMonde(EcritMonde(d), "m.dat"); }),
                         "lieu n\xC2\xB0 3 : pays hors limites"));
    d = essai::MondeEssai();
    d.Lieux[0].Latitude = 9000001;
    EXPECT_TRUE(Contient(MessageDe<ErreurGeocodeur>([&] { TMonde(EcritMonde(d), "m.dat"); }),
                         "coordonn\xC3\xA9"
                         "es hors limites"));
    d = essai::MondeEssai();
    d.Lieux[1].Nom = static_cast<std::uint32_t>(d.Noms.size());
    EXPECT_TRUE(Contient(MessageDe<ErreurGeocodeur>([&] { TMonde(EcritMonde(d), "m.dat"); }),
                         "nom hors limites"));
    d = essai::MondeEssai();
    d.Provinces[0].Pays = 99;
    EXPECT_TRUE(Contient(MessageDe<ErreurGeocodeur>([&] { TMonde(EcritMonde(d), "m.dat"); }),
                         "province n\xC2\xB0 1 : pays hors limites"));
}

TEST(FichierMonde, MissingFileSaysSoInFrench) {
    test::DossierTemporaire dossier;
    const std::string m =
        MessageDe<ErreurGeocodeur>([&] { TMonde::Charge(dossier.Chemin() / "monde.dat"); });
    EXPECT_TRUE(Contient(m, "\"monde.dat\""));
    EXPECT_TRUE(Contient(m, "non existant"));
    // The geocoder itself raises the same error and the caller keeps nothing.
    EXPECT_THROW(TGeocodeur(nullptr, dossier.Chemin() / "monde.dat"), ErreurGeocodeur);
    // A folder where the file should be.
    std::filesystem::create_directories(dossier.Chemin() / "dossier.dat");
    EXPECT_THROW(TMonde::Charge(dossier.Chemin() / "dossier.dat"), ErreurGeocodeur);
}

} // namespace
} // namespace orlavine::geocodeur
