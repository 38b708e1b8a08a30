#include "atlas/carte_france.h"
#include "atlas/erreurs.h"
#include "tests/commun/outils.h"

#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace orlavine {
namespace {

using test::Commune;
using test::DossierTemporaire;

template <typename F>
std::string MessageDe(F&& f) {
    return test::MessageDe<ErreurAtlas>(f);
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

TEST(FichierCommunes, RelitCeQueLEcrivainAEcritBrouille) {
    auto communes = TroisCommunes();
    std::vector<TCommune> relues;
    ProgressionMuette progression;
    const auto octets = EcritCommunes(communes);
    LitCommunes(octets, relues, &progression);
    EXPECT_EQ(relues, communes);
    EXPECT_EQ(progression.Maximum(), 3);
    EXPECT_EQ(progression.Position(), 3);
    // Texts and coordinates are scrambled in the file.
    const std::string brut(octets.begin(), octets.end());
    EXPECT_EQ(brut.find("ABBEVILLE"), std::string::npos);
    EXPECT_EQ(brut.find("80001"), std::string::npos);
    // A text is cut at its first zero byte; the next field starts after all its bytes.
    communes[0].Nom = std::string("AB\0CD", 5);
    std::vector<TCommune> coupees;
    LitCommunes(EcritCommunes(communes), coupees);
    ASSERT_EQ(coupees.size(), 3u);
    EXPECT_EQ(coupees[0].Nom, "AB");
    EXPECT_EQ(coupees[0].Article, "");
    EXPECT_EQ(coupees[1].CodeInsee, "76351");
    communes[0].Nom = std::string(256, 'A'); // too long for its field: the writer refuses
    EXPECT_THROW(EcritCommunes(communes), ErreurAtlas);
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

TEST(FichierCommunes, CompteNulNegatifOuTropGrand) {
    // Zero or fewer: nothing read, the list kept.
    for (std::int32_t n : {0, -5}) {
        std::vector<std::uint8_t> octets(4);
        std::memcpy(octets.data(), &n, 4);
        std::vector<TCommune> communes{Commune("X", "01001")};
        ProgressionMuette progression;
        LitCommunes(octets, communes, &progression);
        EXPECT_EQ(communes.size(), 1u);
        EXPECT_EQ(progression.Maximum(), 0);
    }
    // Too many: refused without allocating.
    auto octets = EcritCommunes(TroisCommunes());
    for (std::int32_t n : {60000, 65537, 0x7FFFFFFF}) {
        std::memcpy(octets.data(), &n, 4);
        std::vector<TCommune> communes;
        const auto message = MessageDe([&] { LitCommunes(octets, communes); });
        EXPECT_TRUE(test::Contient(message, "il annonce " + std::to_string(n) + " communes"));
    }
    const std::int32_t quatre = 4; // plausible for the size, but the fourth record is missing
    std::memcpy(octets.data(), &quatre, 4);
    std::vector<TCommune> communes;
    EXPECT_EQ(MessageDe([&] { LitCommunes(octets, communes); }),
              "Fichier \"cc.dat\" endommag\xC3\xA9 : enregistrement 4 incomplet.");
}

TEST(FichierCommunes, VoisinHorsDeLaTableOuCoordonneesNonNumeriquesRefuses) {
    auto communes = TroisCommunes();
    communes[1].Voisins = {0, 3};
    communes[1].DistancesVoisins = {1, 2};
    std::vector<TCommune> relues;
    EXPECT_EQ(MessageDe([&] { LitCommunes(EcritCommunes(communes), relues); }),
              "Fichier \"cc.dat\" endommag\xC3\xA9 : enregistrement 2 : voisin 3 hors de la "
              "table (3 communes).");
    EXPECT_TRUE(relues.empty());
    communes = TroisCommunes();
    communes[2].Latitude = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(test::Contient(MessageDe([&] { LitCommunes(EcritCommunes(communes), relues); }),
                               "enregistrement 3 : coordonn"));
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

    // The writer refuses what the reader would not give back unchanged.
    for (const char* mauvais : {"Deux\nlignes", "Retour\r"}) {
        auto faux = test::NomsDepartements();
        faux[3] = mauvais;
        EXPECT_THROW(EcritNomsDepartements(faux), ErreurAtlas) << mauvais;
    }
}

TEST(FichierDepartements, FichiersEndommages) {
    std::vector<AnsiString> noms{"GARDE"};
    const std::string court = QuatreVingtQuinzeLignes().substr(0, 200);
    EXPECT_TRUE(test::Contient(MessageDe([&] { LitNomsDepartements(Octets(court), noms); }),
                               "au lieu de 95"));
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
    EXPECT_TRUE(
        test::Contient(compte(0x7FFFFFFF), "enregistrement 1 : il annonce 2147483647 points"));
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

TEST(FichiersAtlas, EcritureAtomique) {
    DossierTemporaire dossier;
    const auto cible = dossier.Chemin() / "cc.dat";
    dossier.Ecrit("cc.dat", {1, 2, 3});
    dossier.Ecrit("cc.dat", {4, 5}); // replaced whole
    EXPECT_EQ(test::LitFichier(cible), "\x04\x05");
    // A write that cannot end raises and leaves no temporary file behind.
    std::filesystem::create_directories(dossier.Chemin() / "bloque" / "plein");
    EXPECT_THROW(dossier.Ecrit("bloque", {1}), ErreurAtlas);
    EXPECT_TRUE(std::filesystem::is_directory(dossier.Chemin() / "bloque" / "plein"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dossier.Chemin()), {}), 2);
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

TEST(CarteFrance, ChargeLesTroisFichiersDansLOrdreEtFermeLAttente) {
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
    // A missing file stops the loading, and the wait window is closed all the same.
    std::filesystem::remove(dossier.Chemin() / "departement.txt");
    ProgressionEspion attente2;
    EXPECT_THROW(TCarteFrance(dossier.Chemin(), &attente2), ErreurAtlas);
    EXPECT_TRUE(attente2.journal.ends_with("ferme ")) << attente2.journal;
}

TEST(Enregistrements, LibellesEtSymbolesDesRangs) {
    EXPECT_EQ(LibelleRang(0), "");
    EXPECT_EQ(LibelleRang(10), "");
    EXPECT_EQ(LibelleRang(9), "Capitale");
    EXPECT_EQ(LibelleRang(6), "Sous-Pr\xE9"
                              "fecture");
    struct Cas {
        int rang, forme, demiCote;
        bool gras, souligne, doubleCercle;
    };
    const Cas cas[] = {{8, 3, 7, true, false, true},
                       {6, 3, 5, false, true, false},
                       {5, 2, 4, false, true, false},
                       {4, 2, 4, false, false, false},
                       {0, 2, 4, false, false, false}};
    for (const Cas& c : cas) {
        const TCommuneAffiche e(0, c.rang, "X", "", false);
        EXPECT_EQ(e.Forme, c.forme) << c.rang;
        EXPECT_EQ(e.DemiCote, c.demiCote) << c.rang;
        EXPECT_EQ(e.Gras, c.gras) << c.rang;
        EXPECT_EQ(e.Souligne, c.souligne) << c.rang;
        EXPECT_EQ(e.DoubleCercle, c.doubleCercle) << c.rang;
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
