#include "atlas/carte_france.h"
#include "atlas/erreurs.h"
#include "fixture.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace orlavine {
namespace {

using test::Commune;
using test::DossierTemporaire;

std::string MessageDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErreurAtlas& e) {
        return e.what();
    }
    return "";
}

std::vector<TCommune> TroisCommunes() {
    auto a = Commune("ABBEVILLE", "80001", 50.1f, 1.8f, 6);
    auto b = Commune("HAVRE", "76351", 49.5f, 0.1f, 6, "LE");
    auto c = Commune("ZUYDCOOTE", "59668", 51.06f, 2.49f);
    a.Voisins = {2};
    a.DistancesVoisins = {120};
    c.Voisins = {0, 1};
    c.DistancesVoisins = {120, 200};
    b.Nom = std::string(255, 'H');
    c.CodePostal = "";
    return {a, b, c};
}

TEST(FichierCommunes, RelitCeQueLEcrivainAEcrit) {
    const auto communes = TroisCommunes();
    std::vector<TCommune> relues;
    ProgressionMuette progression;
    LitCommunes(EcritCommunes(communes), relues, &progression);
    EXPECT_EQ(relues, communes);
    EXPECT_EQ(progression.Maximum(), 3);
    EXPECT_EQ(progression.Position(), 3);
}

TEST(FichierCommunes, TexteCoupeAuPremierZero) {
    auto communes = TroisCommunes();
    communes[0].Nom = std::string("AB\0CD", 5);
    std::vector<TCommune> relues;
    LitCommunes(EcritCommunes(communes), relues);
    ASSERT_EQ(relues.size(), 3u);
    EXPECT_EQ(relues[0].Nom, "AB");
    EXPECT_EQ(relues[0].Article, ""); // the next field starts after all five bytes
    EXPECT_EQ(relues[1].CodeInsee, "76351");
}

TEST(FichierCommunes, LesTextesEtLesCoordonneesSontBrouilles) {
    const auto octets = EcritCommunes(TroisCommunes());
    const std::string brut(octets.begin(), octets.end());
    EXPECT_EQ(brut.find("ABBEVILLE"), std::string::npos);
    EXPECT_EQ(brut.find("80001"), std::string::npos);
}

TEST(FichierCommunes, CompteNulOuNegatifNeLitRien) {
    for (std::int32_t n : {0, -5}) {
        std::vector<std::uint8_t> octets(4);
        std::memcpy(octets.data(), &n, 4);
        std::vector<TCommune> communes{Commune("X", "01001")};
        ProgressionMuette progression;
        LitCommunes(octets, communes, &progression);
        EXPECT_EQ(communes.size(), 1u);
        EXPECT_EQ(progression.Maximum(), 0);
    }
}

TEST(FichierCommunes, FichierTronqueQuelleQueSoitLaCoupure) {
    const auto octets = EcritCommunes(TroisCommunes());
    for (std::size_t taille = 0; taille < octets.size(); ++taille) {
        std::vector<TCommune> communes{Commune("GARDEE", "01001")};
        const std::span<const std::uint8_t> debut(octets.data(), taille);
        const std::string message = MessageDe([&] { LitCommunes(debut, communes); });
        ASSERT_FALSE(message.empty()) << "coupure a " << taille;
        EXPECT_EQ(message.rfind("Fichier \"cc.dat\" endommag\xC3\xA9 : ", 0), 0u) << message;
        EXPECT_EQ(communes.size(), 1u) << "la liste ne doit pas changer";
    }
    std::vector<TCommune> communes;
    const auto message =
        MessageDe([&] { LitCommunes(std::span(octets.data(), octets.size() - 1), communes); });
    EXPECT_EQ(message, "Fichier \"cc.dat\" endommag\xC3\xA9 : enregistrement 3 incomplet.");
}

TEST(FichierCommunes, CompteTropGrandRefuseSansAllouer) {
    auto octets = EcritCommunes(TroisCommunes());
    for (std::int32_t n : {60000, 65537, 0x7FFFFFFF}) {
        std::memcpy(octets.data(), &n, 4);
        std::vector<TCommune> communes;
        const auto message = MessageDe([&] { LitCommunes(octets, communes); });
        EXPECT_NE(message.find("il annonce " + std::to_string(n) + " communes"), std::string::npos)
            << message;
    }
    const std::int32_t quatre = 4; // plausible for the size, but the fourth record is missing
    std::memcpy(octets.data(), &quatre, 4);
    std::vector<TCommune> communes;
    EXPECT_EQ(MessageDe([&] { LitCommunes(octets, communes); }),
              "Fichier \"cc.dat\" endommag\xC3\xA9 : enregistrement 4 incomplet.");
}

TEST(FichierCommunes, VoisinHorsDeLaTableRefuse) {
    auto communes = TroisCommunes();
    communes[1].Voisins = {0, 3};
    communes[1].DistancesVoisins = {1, 2};
    std::vector<TCommune> relues;
    EXPECT_EQ(MessageDe([&] { LitCommunes(EcritCommunes(communes), relues); }),
              "Fichier \"cc.dat\" endommag\xC3\xA9 : enregistrement 2 : voisin 3 hors de la "
              "table (3 communes).");
    EXPECT_TRUE(relues.empty());
}

TEST(FichierCommunes, CoordonneesNonNumeriquesRefusees) {
    auto communes = TroisCommunes();
    communes[2].Latitude = std::numeric_limits<float>::quiet_NaN();
    std::vector<TCommune> relues;
    EXPECT_NE(MessageDe([&] {
                  LitCommunes(EcritCommunes(communes), relues);
              }).find("enregistrement 3 : coordonn"),
              std::string::npos);
}

TEST(FichierCommunes, LEcrivainRefuseUnTexteTropLong) {
    auto communes = TroisCommunes();
    communes[0].Nom = std::string(256, 'A');
    EXPECT_THROW(EcritCommunes(communes), ErreurAtlas);
}

std::vector<std::uint8_t> Octets(const std::string& s) {
    return {s.begin(), s.end()};
}

std::string QuatreVingtQuinzeLignes(const std::string& fin = "\n") {
    std::string texte;
    for (int n = 1; n <= 95; ++n)
        texte += std::to_string(n) + " Nom " + std::to_string(n) + fin;
    return texte;
}

TEST(FichierDepartements, LignesEtNoms) {
    std::string texte = QuatreVingtQuinzeLignes();
    texte.replace(0, texte.find('\n'), "01 Nom  en deux");
    texte.replace(texte.find("5 Nom 5"), 7, "xx ");
    texte += "96 De trop\n";
    std::vector<AnsiString> noms;
    ProgressionMuette progression;
    LitNomsDepartements(Octets(texte), noms, &progression);
    ASSERT_EQ(noms.size(), 95u);
    EXPECT_EQ(noms[0], "Nom  en deux");
    EXPECT_EQ(noms[4], "");
    EXPECT_EQ(noms[94], "Nom 95");
    EXPECT_EQ(progression.Position(), 95);

    noms.clear();
    LitNomsDepartements(Octets(QuatreVingtQuinzeLignes("\r\n")), noms);
    EXPECT_EQ(noms[10], "Nom 11");

    const auto ecrits = EcritNomsDepartements(test::NomsDepartements());
    noms.clear();
    LitNomsDepartements(ecrits, noms);
    EXPECT_EQ(noms, test::NomsDepartements());
    EXPECT_EQ(std::string(ecrits.begin(), ecrits.begin() + 9), "01 DEPART");
}

TEST(FichierDepartements, FichiersEndommages) {
    std::vector<AnsiString> noms{"GARDE"};
    const std::string court = QuatreVingtQuinzeLignes().substr(0, 200);
    EXPECT_NE(MessageDe([&] { LitNomsDepartements(Octets(court), noms); }).find("au lieu de 95"),
              std::string::npos);
    std::string sansEspace = QuatreVingtQuinzeLignes();
    sansEspace.replace(sansEspace.find("12 Nom 12"), 9, "12_Nom_12");
    EXPECT_EQ(MessageDe([&] { LitNomsDepartements(Octets(sansEspace), noms); }),
              "Fichier \"departement.txt\" endommag\xC3\xA9 : ligne 12 sans espace.");
    std::string longue = QuatreVingtQuinzeLignes();
    longue.insert(longue.find("Nom 7"), std::string(300, 'x'));
    EXPECT_EQ(MessageDe([&] { LitNomsDepartements(Octets(longue), noms); }),
              "Fichier \"departement.txt\" endommag\xC3\xA9 : ligne 7 trop longue.");
    EXPECT_EQ(noms, std::vector<AnsiString>{"GARDE"});
    // A last line without its line feed is still a line.
    std::string sansFin = QuatreVingtQuinzeLignes();
    sansFin.pop_back();
    noms.clear();
    LitNomsDepartements(Octets(sansFin), noms);
    EXPECT_EQ(noms.back(), "Nom 95");
}

TEST(FichierContours, EnregistrementsEtBornes) {
    TPointsDep carre;
    carre.AjoutePoint(100, 100);
    carre.AjoutePoint(200, 100);
    carre.AjoutePoint(200, -50);
    carre.Indices = {7, -1};
    TPointsDep vide;
    const auto octets = EcritContours({carre, vide, carre});
    std::vector<TDepartement> departements;
    LitContours(octets, departements);
    ASSERT_EQ(departements.size(), 203u);
    EXPECT_EQ(departements[0].Contour.Points, carre.Points);
    EXPECT_EQ(departements[0].Contour.Indices, carre.Indices);
    EXPECT_EQ(departements[0].Contour.RectEnglobant, (TRect{0, -50, 200, 100}));
    EXPECT_EQ(departements[0].PointLu, (TPoint{200, -50}));
    EXPECT_FALSE(departements[1].AUnContour());
    EXPECT_TRUE(departements[2].AUnContour());
    EXPECT_FALSE(departements[202].AUnContour());
    EXPECT_EQ(octets.size(), 8u * 203 + 3 * 8 * 2 + 2 * 4 * 2);
    EXPECT_THROW(EcritContours(std::vector<TPointsDep>(204)), ErreurAtlas);
}

TEST(FichierContours, FichiersEndommages) {
    TPointsDep carre;
    carre.AjoutePoint(1, 2);
    const auto octets = EcritContours({carre});
    for (std::size_t taille = 0; taille < octets.size(); taille += 3) {
        std::vector<TDepartement> departements;
        EXPECT_THROW(LitContours(std::span(octets.data(), taille), departements), ErreurAtlas);
        EXPECT_TRUE(departements.empty());
    }
    auto compte = [&](std::int32_t n) {
        auto copie = octets;
        const auto u = static_cast<std::uint32_t>(n);
        for (int k = 0; k < 4; ++k)
            copie[k] = static_cast<std::uint8_t>((u >> (8 * k)) ^ cle_contours::Nombre);
        std::vector<TDepartement> departements;
        return MessageDe([&] { LitContours(copie, departements); });
    };
    EXPECT_EQ(compte(-1), "Fichier \"pointdepii.dat\" endommag\xC3\xA9 : enregistrement 1 : "
                          "nombre de points n\xC3\xA9gatif (-1).");
    EXPECT_NE(compte(0x7FFFFFFF).find("enregistrement 1 : il annonce 2147483647 points"),
              std::string::npos);
}

TEST(FichiersAtlas, MessagesDeFichierAbsent) {
    DossierTemporaire dossier;
    std::vector<TCommune> communes;
    std::vector<AnsiString> noms;
    std::vector<TDepartement> departements;
    EXPECT_EQ(MessageDe([&] { ChargeCommunes(communes, dossier.Chemin()); }),
              "Fichier \"cc.dat\" non existant ou d\xC3\xA9plac\xC3\xA9!");
    EXPECT_EQ(MessageDe([&] { ChargeNomsDepartements(noms, dossier.Chemin()); }),
              "Fichier \"Departement.txt\" non existant ou d\xC3\xA9plac\xC3\xA9!");
    EXPECT_EQ(MessageDe([&] { ChargeContours(departements, dossier.Chemin()); }),
              "Fichier \"pointdepii.dat\" non existant ou d\xC3\xA9plac\xC3\xA9!");
}

// Records every call, to check what the atlas does with its wait window.
class ProgressionEspion final : public IProgression {
public:
    void FixeMaximum(int m) override { journal += "max" + std::to_string(m) + " "; }
    void FixePosition(int p) override { position = p; }
    int Position() const override { return position; }
    void Montrer() override { journal += "montre "; }
    void Fermer() override { journal += "ferme "; }
    void TraiterMessages() override {}
    std::string journal;
    int position = 0;
};

TEST(CarteFrance, ChargeLesTroisFichiersDansLOrdre) {
    DossierTemporaire dossier;
    TPointsDep contour;
    contour.AjoutePoint(1, 1);
    dossier.EcritAtlas(TroisCommunes(), {contour});
    ProgressionEspion attente;
    TCarteFrance carte(dossier.Chemin(), &attente);
    EXPECT_EQ(attente.journal, "montre max3 max95 ferme ");
    EXPECT_EQ(carte.Communes.size(), 3u);
    EXPECT_EQ(carte.NomsDepartements.size(), 95u);
    EXPECT_EQ(carte.Departements.size(), 203u);
    EXPECT_TRUE(carte.AfficherDepartements);
    EXPECT_FALSE(carte.AfficherVoisines);
    EXPECT_TRUE(carte.AfficherDisque);
    EXPECT_EQ(carte.PhaseClignotement, 0);
    EXPECT_TRUE(carte.CommunesAffichees.empty());
    EXPECT_TRUE(carte.CommunesVoisines.empty());
}

TEST(CarteFrance, UnFichierAbsentArreteLeChargementEtFermeLAttente) {
    DossierTemporaire dossier;
    dossier.EcritAtlas(TroisCommunes());
    std::filesystem::remove(dossier.Chemin() / "departement.txt");
    ProgressionEspion attente;
    EXPECT_THROW(TCarteFrance(dossier.Chemin(), &attente), ErreurAtlas);
    EXPECT_NE(attente.journal.find("ferme"), std::string::npos);
}

TEST(Enregistrements, LibellesEtSymbolesDesRangs) {
    EXPECT_EQ(LibelleRang(0), "");
    EXPECT_EQ(LibelleRang(3), "");
    EXPECT_EQ(LibelleRang(10), "");
    EXPECT_EQ(LibelleRang(9), "Capitale");
    EXPECT_EQ(LibelleRang(6), "Sous-Pr\xE9"
                              "fecture");

    const TCommuneAffiche capitaleRegion(0, 8, "X", "", false);
    EXPECT_EQ(capitaleRegion.Forme, 3);
    EXPECT_EQ(capitaleRegion.DemiCote, 7);
    EXPECT_TRUE(capitaleRegion.Gras);
    EXPECT_TRUE(capitaleRegion.DoubleCercle);
    const TCommuneAffiche sousPrefecture(0, 6, "X", "", false);
    EXPECT_EQ(sousPrefecture.Forme, 3);
    EXPECT_EQ(sousPrefecture.DemiCote, 5);
    EXPECT_TRUE(sousPrefecture.Souligne);
    EXPECT_FALSE(sousPrefecture.Gras);
    const TCommuneAffiche canton(0, 5, "X", "", true);
    EXPECT_EQ(canton.Forme, 2);
    EXPECT_EQ(canton.DemiCote, 4);
    EXPECT_TRUE(canton.Souligne);
    EXPECT_TRUE(canton.Clignotant);
    for (int rang : {0, 4}) {
        const TCommuneAffiche simple(0, rang, "X", "", false);
        EXPECT_EQ(simple.Forme, 2);
        EXPECT_FALSE(simple.Souligne || simple.Gras || simple.DoubleCercle);
        EXPECT_EQ(simple.PositionTexte, 1);
        EXPECT_TRUE(simple.SymboleVisible && simple.TextePlace);
    }
}

TEST(Contours, ProjectionEnPixels) {
    TPointsDep source;
    source.AjoutePoint(520, 1040);
    source.AjoutePoint(259, 0);
    source.AjoutePoint(260, 0);
    source.Indices = {42};
    TPointsDep ecran;
    ecran.Projette(source, 1.0);
    EXPECT_EQ(ecran.Points, (std::vector<TPoint>{{1, 2}, {0, 0}, {1, 0}}));
    EXPECT_EQ(ecran.Indices, source.Indices);
    EXPECT_EQ(ecran.RectEnglobant, (TRect{0, 0, 1, 2}));
    TPointsDep loin;
    loin.AjoutePoint(5200, 5200);
    ecran.Projette(loin, 2.0);
    EXPECT_EQ(ecran.RectEnglobant, (TRect{20, 20, 20, 20})); // not stretched to (0, 0)
    ecran.Vide(3);
    EXPECT_EQ(ecran.Points.size(), 3u);
    EXPECT_TRUE(ecran.Indices.empty());
    EXPECT_EQ(ecran.RectEnglobant, TRect{});
}

} // namespace
} // namespace orlavine
