#include "essai_base.h"
#include "genealogie/base.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orlavine {
namespace {

using test::ContenuSimple;
using test::DossierTemporaire;
using test::Ev;
using test::LieuDe;
namespace fs = std::filesystem;

std::string Octets(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const Erreur& e) {
        return e.what();
    }
    return "";
}

// Runs `f` in a child process and gives the child's exit status and what it wrote.
struct Enfant {
    int Statut = -1;
    std::string Sortie;
};
Enfant DansUnEnfant(const std::function<void(int fd)>& f) {
    int tube[2];
    EXPECT_EQ(::pipe(tube), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(tube[0]);
        f(tube[1]);
        ::_exit(0);
    }
    ::close(tube[1]);
    Enfant e;
    char tampon[512];
    ssize_t n;
    while ((n = ::read(tube[0], tampon, sizeof tampon)) > 0)
        e.Sortie.append(tampon, n);
    ::close(tube[0]);
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    e.Statut = WIFEXITED(statut) ? WEXITSTATUS(statut) : 128 + WTERMSIG(statut);
    return e;
}

void Ecrit(int fd, const std::string& texte) {
    if (::write(fd, texte.data(), texte.size()) < 0) ::_exit(3);
}

// Only this test's files in the folder (no leftover temporary file).
std::vector<std::string> Fichiers(const fs::path& dossier) {
    std::vector<std::string> noms;
    for (const auto& e : fs::directory_iterator(dossier))
        noms.push_back(e.path().filename());
    std::sort(noms.begin(), noms.end());
    return noms;
}

TEST(Base, ImportStoresPlacesEventsAndReadCoordinates) {
    DossierTemporaire d;
    const TComptesBase c = CreeBase(ContenuSimple(), d / "b.sqlite");
    EXPECT_EQ(c.Individus, 3);
    EXPECT_EQ(c.Familles, 1);
    EXPECT_EQ(c.Evenements, 5);
    EXPECT_EQ(c.Lieux, 3);
    EXPECT_EQ(c.LieuxDits, 2);
    EXPECT_EQ(c.CoordonneesLues, 3);
    EXPECT_EQ(c.LignesIgnorees, 2);

    TBaseGenealogie base(d / "b.sqlite");
    const TComptesBase relus = base.Comptes();
    EXPECT_EQ(relus.Individus, 3);
    EXPECT_EQ(relus.Lieux, 3);
    EXPECT_EQ(relus.LieuxDits, 2);
    EXPECT_EQ(relus.CoordonneesLues, 3);

    const auto lieux = base.Lieux();
    ASSERT_EQ(lieux.size(), 3u);
    EXPECT_EQ(lieux[0].Id, 1);
    EXPECT_EQ(lieux[0].Texte, "Paris, 75001, France");
    EXPECT_EQ(lieux[1].Texte, "Lyon, 69001, France");
    EXPECT_EQ(lieux[2].Commune, "Brest");
    EXPECT_EQ(base.OctetsOrigine(), "0 HEAD\n0 TRLR\n");
    EXPECT_EQ(base.NomFichierOrigine(), "arbre.ged");

    // The first coordinates of a place and lieu-dit are kept, located, from the file.
    const auto geos = base.Geolocalisations();
    ASSERT_EQ(geos.size(), 2u);
    EXPECT_EQ(geos[0].IdLieu, 2);
    EXPECT_DOUBLE_EQ(geos[0].Latitude, 45.76);
    EXPECT_EQ(geos[0].Etat, EtatLuDansGedcom);
    EXPECT_EQ(geos[0].Origine, Provenance::Gedcom);
    EXPECT_EQ(geos[1].LieuDit, "Recouvrance");
    EXPECT_DOUBLE_EQ(geos[1].Longitude, -4.5);

    EXPECT_EQ(base.VerifieIntegrite(), "ok");
    EXPECT_EQ(base.Connexion().Entier("PRAGMA user_version"), TBaseGenealogie::VersionSchema);
    RequeteSqlite mode(base.Connexion(), "PRAGMA journal_mode");
    ASSERT_TRUE(mode.Pas());
    EXPECT_EQ(mode.Texte(0), "wal");
    EXPECT_EQ(base.Connexion().Entier("PRAGMA foreign_keys"), 1);
    // Foreign keys hold: an event of an unknown place is refused.
    EXPECT_THROW(base.Connexion().Execute("INSERT INTO evenements(lieu, ligne_plac) VALUES (9, 1)"),
                 ErreurGenealogie);
}

TEST(Base, ExistingBaseIsRefusedUnlessReplaced) {
    DossierTemporaire d;
    const fs::path chemin = d / "b.sqlite";
    CreeBase(ContenuSimple(), chemin);
    const std::string avant = Octets(chemin);

    TContenuImport autre;
    autre.NomFichier = "autre.ged";
    autre.Evenements.push_back(Ev(5, LieuDe("Nantes")));
    const std::string m = Message([&] { CreeBase(autre, chemin); });
    EXPECT_NE(m.find("b.sqlite"), std::string::npos) << m;
    EXPECT_NE(m.find("existe déjà"), std::string::npos) << m;
    EXPECT_EQ(Octets(chemin), avant);

    OptionsImport remplacer;
    remplacer.Remplacer = true;
    // A file that is no base is never replaced, even on request.
    std::ofstream(d / "arbre.ged") << "0 HEAD\n0 TRLR\n";
    EXPECT_NE(Message([&] {
                  CreeBase(autre, d / "arbre.ged", remplacer);
              }).find("n'est pas une base Orlavine"),
              std::string::npos);
    EXPECT_EQ(Octets(d / "arbre.ged"), "0 HEAD\n0 TRLR\n");
    EXPECT_TRUE(EstBaseOrlavine(chemin));
    EXPECT_FALSE(EstBaseOrlavine(d / "arbre.ged"));
    fs::remove(d / "arbre.ged");

    CreeBase(autre, chemin, remplacer);
    {
        TBaseGenealogie base(chemin);
        EXPECT_EQ(base.NomFichierOrigine(), "autre.ged");
        EXPECT_EQ(base.Lieux().size(), 1u);
    }
    EXPECT_EQ(Fichiers(d()), std::vector<std::string>{"b.sqlite"});
}

TEST(Base, ReplacingABaseWithPendingLogKeepsTheNewContent) {
    DossierTemporaire d;
    const fs::path chemin = d / "b.sqlite";
    CreeBase(ContenuSimple(), chemin);
    {
        // A change left in the old base's write-ahead log must not leak into the new base.
        TBaseGenealogie ancienne(chemin);
        ancienne.Connexion().Execute("PRAGMA wal_autocheckpoint = 0");
        ancienne.MarqueLieuSupprime(1, true);
        // Simulate a crash: copy the log aside before the clean close checkpoints it.
        fs::copy_file(chemin.string() + "-wal", d / "wal-sauve");
    }
    fs::copy_file(d / "wal-sauve", chemin.string() + "-wal", fs::copy_options::overwrite_existing);
    TContenuImport autre;
    autre.NomFichier = "autre.ged";
    autre.Evenements.push_back(Ev(5, LieuDe("Nantes")));
    OptionsImport remplacer;
    remplacer.Remplacer = true;
    CreeBase(autre, chemin, remplacer);
    TBaseGenealogie base(chemin);
    EXPECT_EQ(base.VerifieIntegrite(), "ok");
    ASSERT_EQ(base.Lieux().size(), 1u);
    EXPECT_EQ(base.Lieux()[0].Commune, "Nantes");
    EXPECT_FALSE(base.Lieux()[0].Supprime);
}

TEST(Base, CancelledOrKilledImportLeavesNoBaseOrTheOldOne) {
    DossierTemporaire d;
    TContenuImport gros = ContenuSimple();
    for (int i = 0; i < 100000; ++i)
        gros.Evenements.push_back(Ev(100 + i, LieuDe("Ville" + std::to_string(i % 500))));

    // Cancelled: nothing at all.
    OptionsImport annule;
    annule.Progression = [](int p) { return p < 40; };
    EXPECT_THROW(CreeBase(gros, d / "neuve.sqlite", annule), ImportAnnule);
    EXPECT_TRUE(Fichiers(d()).empty());

    // Killed mid-way, with and without a previous base.
    CreeBase(ContenuSimple(), d / "ancienne.sqlite");
    const std::string avant = Octets(d / "ancienne.sqlite");
    for (const char* nom : {"neuve.sqlite", "ancienne.sqlite"})
        for (int seuil : {1, 50, 96, 100}) {
            const Enfant e = DansUnEnfant([&](int) {
                OptionsImport tue;
                tue.Remplacer = true;
                tue.Progression = [seuil](int p) {
                    if (p >= seuil) ::kill(::getpid(), SIGKILL);
                    return true;
                };
                CreeBase(gros, d / nom, tue);
            });
            EXPECT_EQ(e.Statut, 128 + SIGKILL);
        }
    EXPECT_FALSE(fs::exists(d / "neuve.sqlite"));
    EXPECT_EQ(Octets(d / "ancienne.sqlite"), avant);
    {
        TBaseGenealogie base(d / "ancienne.sqlite");
        EXPECT_EQ(base.VerifieIntegrite(), "ok");
        EXPECT_EQ(base.Lieux().size(), 3u);
    }
    // Each import removes what the killed imports of the same base left, and so does opening
    // the base: one file is left, by the last killed import of the base never opened, until
    // the next import.
    EXPECT_EQ(Fichiers(d()).size(), 2u);
    OptionsImport remplacer;
    remplacer.Remplacer = true;
    CreeBase(ContenuSimple(), d / "neuve.sqlite", remplacer);
    CreeBase(ContenuSimple(), d / "ancienne.sqlite", remplacer);
    EXPECT_EQ(Fichiers(d()), (std::vector<std::string>{"ancienne.sqlite", "neuve.sqlite"}));
}

TEST(Base, UnwritableOrFullTargetGivesAFrenchMessageAndKeepsTheOldBase) {
    DossierTemporaire d;
    const fs::path chemin = d / "b.sqlite";
    CreeBase(ContenuSimple(), chemin);
    const std::string avant = Octets(chemin);
    TContenuImport autre = ContenuSimple();
    autre.Octets.assign(4 << 20, 'x'); // a 4 MB file

    // Read-only folder (as an ordinary user: root would write anyway).
    fs::permissions(d(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    const Enfant lecture = DansUnEnfant([&](int fd) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(4);
        OptionsImport o;
        o.Remplacer = true;
        Ecrit(fd, Message([&] { CreeBase(autre, chemin, o); }));
    });
    EXPECT_EQ(lecture.Statut, 0);
    EXPECT_NE(lecture.Sortie.find("b.sqlite"), std::string::npos) << lecture.Sortie;
    EXPECT_NE(lecture.Sortie.find("accès refusé"), std::string::npos) << lecture.Sortie;
    fs::permissions(d(), fs::perms::owner_all);
    EXPECT_EQ(Octets(chemin), avant);

    // A disk that fills up: files may not grow past 1 MB.
    const Enfant plein = DansUnEnfant([&](int fd) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limite{1 << 20, 1 << 20};
        ::setrlimit(RLIMIT_FSIZE, &limite);
        OptionsImport o;
        o.Remplacer = true;
        Ecrit(fd, Message([&] { CreeBase(autre, chemin, o); }));
    });
    EXPECT_EQ(plein.Statut, 0);
    EXPECT_NE(plein.Sortie.find("b.sqlite"), std::string::npos) << plein.Sortie;
    EXPECT_NE(plein.Sortie.find("disque"), std::string::npos) << plein.Sortie;
    EXPECT_EQ(Octets(chemin), avant);
    EXPECT_EQ(Fichiers(d()), std::vector<std::string>{"b.sqlite"});
}

TEST(Base, OpeningChecksWhatTheFileIs) {
    DossierTemporaire d;
    std::ofstream(d / "texte.sqlite") << "pas une base du tout, mais un texte assez long pour "
                                         "ressembler à un en-tête de fichier quelconque";
    EXPECT_NE(Message([&] { TBaseGenealogie b(d / "texte.sqlite"); }).find("texte.sqlite"),
              std::string::npos);
    {
        ConnexionSqlite c(d / "autre.sqlite", ConnexionSqlite::Acces::Creation);
        c.Execute("CREATE TABLE t(x)");
    }
    EXPECT_NE(
        Message([&] { TBaseGenealogie b(d / "autre.sqlite"); }).find("n'est pas une base Orlavine"),
        std::string::npos);
    EXPECT_NE(Message([&] { TBaseGenealogie b(d / "absente.sqlite"); }).find("absente.sqlite"),
              std::string::npos);

    CreeBase(ContenuSimple(), d / "future.sqlite");
    {
        ConnexionSqlite c(d / "future.sqlite", ConnexionSqlite::Acces::Ecriture);
        c.Execute("PRAGMA user_version = 99");
    }
    EXPECT_NE(Message([&] { TBaseGenealogie b(d / "future.sqlite"); }).find("plus récente"),
              std::string::npos);

    // An empty base of ours at version 0 is brought to the current schema.
    {
        ConnexionSqlite c(d / "vide.sqlite", ConnexionSqlite::Acces::Creation);
        c.Execute("PRAGMA application_id = 1330793558");
    }
    TBaseGenealogie migree(d / "vide.sqlite");
    EXPECT_EQ(migree.Connexion().Entier("PRAGMA user_version"), TBaseGenealogie::VersionSchema);
    EXPECT_EQ(migree.Comptes().Lieux, 0);
}

TEST(Base, GeolocationChangesAreWhatTheExportWrites) {
    DossierTemporaire d;
    CreeBase(ContenuSimple(), d / "b.sqlite");
    TBaseGenealogie base(d / "b.sqlite");
    EXPECT_TRUE(base.ChangementsAExporter().empty());

    // Validating a position read from the file changes nothing in the file.
    ASSERT_TRUE(base.MetAJourGeolocalisation(2, "", 45.76, 4.83, 7, Provenance::Main));
    EXPECT_EQ(base.Geolocalisation(2, "")->Origine, Provenance::Gedcom);
    EXPECT_TRUE(base.ChangementsAExporter().empty());

    // Paris located: its event without lieu-dit (line 10) gets the position.
    TGeolocalisation paris;
    paris.IdLieu = 1;
    paris.Latitude = 48.8566;
    paris.Longitude = 2.3522;
    paris.Etat = 6;
    paris.Origine = Provenance::Atlas;
    EXPECT_TRUE(base.AjouteGeolocalisation(paris));
    EXPECT_FALSE(base.AjouteGeolocalisation(paris));
    // Lyon moved by hand: both Lyon events (lines 20 and 50) get the new position.
    ASSERT_TRUE(base.MetAJourGeolocalisation(2, "", 45.75, 4.85, 4, Provenance::Main));
    EXPECT_EQ(base.Geolocalisation(2, "")->Origine, Provenance::Main);
    // Brest's lieu-dit deleted: its PLAC's MAP is removed.
    EXPECT_TRUE(base.SupprimeGeolocalisation(3, "Recouvrance"));
    EXPECT_FALSE(base.SupprimeGeolocalisation(3, "Recouvrance"));

    const auto ch = base.ChangementsAExporter();
    ASSERT_EQ(ch.size(), 4u);
    EXPECT_EQ(ch[0].LignePlac, 10);
    EXPECT_DOUBLE_EQ(ch[0].Latitude, 48.8566);
    EXPECT_EQ(ch[1].LignePlac, 20);
    EXPECT_DOUBLE_EQ(ch[1].Longitude, 4.85);
    EXPECT_EQ(ch[2].LignePlac, 40);
    EXPECT_TRUE(ch[2].Retirer);
    EXPECT_EQ(ch[3].LignePlac, 50);
    EXPECT_FALSE(ch[3].Retirer);

    // States outside 0..7 and positions out of range are refused by the table.
    paris.LieuDit = "x";
    paris.Etat = 8;
    EXPECT_THROW(base.AjouteGeolocalisation(paris), ErreurGenealogie);
    paris.Etat = 4;
    paris.Latitude = 91;
    EXPECT_THROW(base.AjouteGeolocalisation(paris), ErreurGenealogie);
}

} // namespace
} // namespace orlavine
