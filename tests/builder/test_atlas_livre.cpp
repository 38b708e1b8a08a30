// The bundled atlas of data/atlas/, its rebuild from the cached sources, and a full build
// from the reference data of ../shared/data when it is there.
#include "atlas/carte_france.h"
#include "atlas/fichiers.h"
#include "atlas/saisie.h"
#include "sources_factices.h"
#include "tests/builder/cache_sources.h"
#include "tools/atlas-build/code_officiel.h"
#include "tools/atlas-build/construction.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

namespace orlavine::atlasbuild::test {
namespace {

namespace fs = std::filesystem;

const fs::path DossierLivre = ORLAVINE_ATLAS_BUNDLED;
const fs::path CentroidesLivres = ORLAVINE_CENTROIDES;
const fs::path DossierPartage = ORLAVINE_SHARED_DATA;

using orlavine::test::DossierSources;

bool SourcesEnCache() {
    const fs::path d = DossierSources();
    return !d.empty() && fs::exists(d / CheminCodeOfficiel / "communes.json") &&
           fs::exists(d / CheminGeoNames) && fs::exists(d / CheminDessinDepartements);
}

class AtlasLivre : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(fs::exists(DossierLivre / NomFichierCommunes))
            << "atlas livré absent de " << DossierLivre << " : lancer scripts/build-atlas.sh";
        carte_ = new TCarteFrance(DossierLivre);
    }
    static void TearDownTestSuite() {
        delete carte_;
        carte_ = nullptr;
    }
    static TCarteFrance* carte_;
};
TCarteFrance* AtlasLivre::carte_ = nullptr;

TEST_F(AtlasLivre, LoadsWithSortedNamesAndItsOwnDistances) {
    ASSERT_NE(carte_, nullptr);
    const auto& communes = carte_->Communes;
    EXPECT_GE(communes.size() - carte_->CommunesLiees.size(), 34700u); // current communes
    EXPECT_GT(carte_->CommunesLiees.size(), 2500u);
    EXPECT_LE(communes.size(), NombreMaxCommunes);
    EXPECT_EQ(carte_->Departements.size(), 203u);
    ASSERT_EQ(carte_->NomsDepartements.size(), 95u);
    EXPECT_EQ(carte_->NomsDepartements[19], "Corse");
    EXPECT_EQ(carte_->NomsDepartements[20], "C\xF4te-d'Or");

    std::size_t voisines = 0;
    for (std::size_t i = 0; i < communes.size(); ++i) {
        const TCommune& c = communes[i];
        if (i + 1 < communes.size()) {
            ASSERT_TRUE(AvantDansAtlas(c, communes[i + 1]))
                << c.Nom << " / " << communes[i + 1].Nom;
        }
        ASSERT_EQ(c.Voisins.size(), c.DistancesVoisins.size());
        for (std::size_t k = 0; k < c.Voisins.size(); ++k) {
            ASSERT_LT(c.Voisins[k], communes.size());
            ASSERT_EQ(c.DistancesVoisins[k],
                      TCarteFrance::DistanceCommunes(c, communes[c.Voisins[k]]))
                << c.Nom << " -> " << communes[c.Voisins[k]].Nom;
            ASSERT_LE(c.DistancesVoisins[k], RayonVoisinsKm);
            ASSERT_EQ(carte_->NatureCommune(c.Voisins[k]), TNatureCommune::Actuelle)
                << c.Nom << " -> " << communes[c.Voisins[k]].Nom;
            ++voisines;
        }
    }
    EXPECT_GT(voisines, communes.size() * 20);
}

TEST_F(AtlasLivre, EveryDepartmentHasItsPrefecture) {
    std::map<std::string, int> prefectures;
    for (const TCommune& c : carte_->Communes)
        if (c.Rang >= RangPrefecture) ++prefectures[c.CodeInsee.substr(0, 2)];
    for (const std::string& d : DepartementsMetropolitains())
        EXPECT_EQ(prefectures[d], 1) << d;
    EXPECT_EQ(prefectures.size(), 96u);
    EXPECT_EQ(Trouve(*carte_, "75056")->Rang, RangCapitale);
    EXPECT_EQ(Trouve(*carte_, "69123")->Rang, RangCapitaleRegion); // Lyon
    EXPECT_EQ(Trouve(*carte_, "2A004")->Rang, RangCapitaleRegion); // Ajaccio
}

TEST_F(AtlasLivre, KnownCommunes) {
    const TCommune* havre = Trouve(*carte_, "76351");
    ASSERT_NE(havre, nullptr);
    EXPECT_EQ(havre->Article, "LE");
    EXPECT_EQ(havre->Nom, "HAVRE");
    EXPECT_EQ(havre->Rang, RangSousPrefecture);
    EXPECT_EQ(havre->CodePostal, "76600");
    EXPECT_EQ(Trouve(*carte_, "27016")->Nom, "LES-ANDELYS");
    EXPECT_EQ(Trouve(*carte_, "95313")->Nom, "L'ISLE-ADAM");

    // Paris - Marseille: within 3 km of the 660.48 km between the two town halls (the
    // positions are the centroids of the communes' outlines).
    const int d =
        TCarteFrance::DistanceCommunes(*Trouve(*carte_, "75056"), *Trouve(*carte_, "13055"));
    EXPECT_NEAR(d, 660.48, 3.0);
    EXPECT_NE(Trouve(*carte_, "04192"), nullptr); // Rochefourchat, a village of one inhabitant
}

TEST_F(AtlasLivre, DelegatedAssociatedAndFormerCommunesSayWhatTheyAre) {
    std::vector<std::uint16_t> r;
    auto premiere = [&](const char* texte, int mode) {
        carte_->RechercheCommunes(r, texte, -1, -1, mode);
        carte_->CommuneActuelleEnTete(r, texte, mode);
        return r.empty() ? -1 : static_cast<int>(r.front());
    };
    const std::pair<const char*, const char*> cas[] = {
        {"ESQUIBIEN", "commune d\xE9l\xE9gu\xE9"
                      "e d'Audierne"},
        {"CHAPELLE-BASSE-MER", "commune d\xE9l\xE9gu\xE9"
                               "e de Divatte-sur-Loire"},
        {"PAYRE", "commune d\xE9l\xE9gu\xE9"
                  "e de Valence-en-Poitou"},
        {"CHERBOURG-OCTEVILLE", "commune d\xE9l\xE9gu\xE9"
                                "e de Cherbourg-en-Cotentin"},
        {"ESCAUFOURT", "commune associ\xE9"
                       "e \xE0 Saint-Souplet"},
    };
    for (const auto& [nom, qualificatif] : cas) {
        const int i = premiere(nom, SaisieNom);
        ASSERT_GE(i, 0) << nom;
        EXPECT_EQ(carte_->QualificatifCommune(i), qualificatif) << nom;
        EXPECT_EQ(carte_->Communes[i].Rang, RangCommune) << nom;
    }
    std::size_t anciennes = 0;
    for (const TCommuneLiee& l : carte_->CommunesLiees) {
        if (l.Nature == TNatureCommune::Ancienne) ++anciennes;
        ASSERT_EQ(carte_->NatureCommune(l.Parent), TNatureCommune::Actuelle);
    }
    EXPECT_GT(anciennes, 50u);
    // Sèvremoine shares its code with its delegated Saint-Macaire-en-Mauges, named before
    // it: the code still gives the current commune first.
    const int i = premiere("49301", SaisieCode);
    ASSERT_GE(i, 0);
    EXPECT_EQ(carte_->Communes[i].Nom, "SEVREMOINE");
    EXPECT_GE(r.size(), 2u);
}

TEST_F(AtlasLivre, NamesAsTheyAreWritten) {
    auto nom = [&](const char* insee, TNatureCommune nature = TNatureCommune::Actuelle) {
        for (std::size_t i = 0; i < carte_->Communes.size(); ++i)
            if (carte_->Communes[i].CodeInsee == insee &&
                carte_->NatureCommune(static_cast<int>(i)) == nature)
                return Cp1252VersUtf8(carte_->NomOfficiel(static_cast<int>(i)));
        return std::string("(absente)");
    };
    const std::tuple<const char*, TNatureCommune, const char*> cas[] = {
        {"27229", TNatureCommune::Actuelle, "Évreux"},
        {"94028", TNatureCommune::Actuelle, "Créteil"},
        {"78545", TNatureCommune::Actuelle, "Saint-Cyr-l'École"},
        {"78343", TNatureCommune::Actuelle, "Les Loges-en-Josas"},
        {"76351", TNatureCommune::Actuelle, "Le Havre"},
        {"94038", TNatureCommune::Actuelle, "L'Haÿ-les-Roses"},
        {"59378", TNatureCommune::Actuelle, "Marcq-en-Barœul"},
        {"49301", TNatureCommune::Actuelle, "Sèvremoine"},
        {"49301", TNatureCommune::Deleguee, "Saint-Macaire-en-Mauges"},
        {"44029", TNatureCommune::Deleguee, "La Chapelle-Basse-Mer"},
    };
    for (const auto& [insee, nature, attendu] : cas)
        EXPECT_EQ(nom(insee, nature), attendu) << insee;
    // Every record has its name, which folds back to the stored one.
    ASSERT_EQ(carte_->NomsOfficiels.size(), carte_->Communes.size());
    for (std::size_t i = 0; i < carte_->Communes.size(); ++i) {
        const TCommune& c = carte_->Communes[i];
        ASSERT_EQ(NomAtlas(Cp1252VersUtf8(carte_->NomsOfficiels[i].Nom)),
                  NomAtlas(Cp1252VersUtf8(TCarteFrance::NomComplet(c))))
            << c.CodeInsee;
    }
}

TEST_F(AtlasLivre, CitiesHaveAllTheirPostalCodes) {
    auto codes = [&](const char* insee) {
        const TCommune* c = Trouve(*carte_, insee);
        if (!c) return std::vector<AnsiString>{};
        return carte_->CodesPostaux(static_cast<int>(c - carte_->Communes.data()));
    };
    auto suite = [](int premier, int dernier, std::vector<AnsiString> plus = {}) {
        for (int n = premier; n <= dernier; ++n)
            plus.push_back(std::to_string(n));
        std::sort(plus.begin(), plus.end());
        return plus;
    };
    auto tries = [](std::vector<AnsiString> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(tries(codes("13055")), suite(13001, 13016));
    EXPECT_EQ(tries(codes("75056")), suite(75001, 75020, {"75116"}));
    EXPECT_EQ(tries(codes("69123")), suite(69001, 69009));
    EXPECT_EQ(codes("13055").front(), Trouve(*carte_, "13055")->CodePostal);
}

TEST_F(AtlasLivre, CommunesLieInsideTheOutlines) {
    std::size_t dedans = 0;
    for (const TCommune& c : carte_->Communes) {
        const TPoint p{static_cast<int>(std::lround(c.XCarte)),
                       static_cast<int>(std::lround(c.YCarte))};
        for (const TDepartement& d : carte_->Departements)
            if (d.AUnContour() &&
                IsInPoly(d.Contour.Points.data(), static_cast<int>(d.Contour.Points.size()), p)) {
                ++dedans;
                break;
            }
    }
    EXPECT_GE(static_cast<double>(dedans) / carte_->Communes.size(), PartMinimaleDansDepartement);
}

TEST(AtlasReconstruit, CachedSourcesGiveTheBundledBytes) {
    if (!SourcesEnCache())
        GTEST_SKIP() << "sources absentes du cache " << DossierSources()
                     << " (lancer scripts/fetch-sources.sh, qui demande npm)";
    ASSERT_TRUE(fs::exists(DossierLivre / NomFichierCommunes));
    OptionsConstruction options;
    options.Sources = DossierSources();
    options.Centroides = CentroidesLivres;
    const AtlasConstruit atlas = ConstruitAtlas(options);
    const FichiersAtlas fichiers = EcritFichiers(atlas);
    const RapportValidation rapport = ValideAtlas(atlas, fichiers);
    EXPECT_TRUE(rapport.Valide()) << rapport.Texte(atlas);
    EXPECT_EQ(rapport.PrefecturesPresentes, 96u);
    EXPECT_GE(rapport.PartDansDepartement, PartMinimaleDansDepartement);
    const std::pair<const char*, const std::vector<std::uint8_t>&> attendus[] = {
        {NomFichierCommunes, fichiers.Communes},
        {NomFichierDepartements, fichiers.Departements},
        {NomFichierContours, fichiers.Contours},
        {NomFichierCommunesLiees, fichiers.CommunesLiees},
        {NomFichierCodesPostaux, fichiers.CodesPostaux},
        {NomFichierNomsOfficiels, fichiers.NomsOfficiels}};
    for (const auto& [nom, octets] : attendus)
        EXPECT_TRUE(std::string(octets.begin(), octets.end()) == LitFichier(DossierLivre / nom))
            << nom << " livré différent de la reconstruction";
}

TEST(AtlasReconstruit, OfficialOutlinesHoldTheCommunes) {
    const fs::path geojson = DossierPartage / "departements-2018-simplifies.geojson";
    if (!fs::exists(geojson)) GTEST_SKIP() << "contours de référence absents de " << DossierPartage;
    if (!SourcesEnCache()) GTEST_SKIP() << "sources absentes du cache " << DossierSources();
    OptionsConstruction options;
    options.Sources = DossierSources();
    options.Centroides = CentroidesLivres;
    options.Contours = geojson;
    // Built in memory only: nothing made from the outlines is written anywhere.
    const AtlasConstruit atlas = ConstruitAtlas(options);
    const RapportValidation rapport = ValideAtlas(atlas, EcritFichiers(atlas));
    EXPECT_TRUE(rapport.Valide()) << rapport.Texte(atlas);
    EXPECT_GE(rapport.PartDansDepartement, 0.99);
}

} // namespace
} // namespace orlavine::atlasbuild::test
