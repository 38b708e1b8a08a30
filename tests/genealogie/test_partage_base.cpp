// One base, several programs, unusual disks: the lock that keeps an open base from being
// replaced, the check that keeps a program from writing into a base that replaced its own,
// the exclusive creation, read-only and full disks, and what is left beside a base.
#include "essai_base.h"
#include "genealogie/base_gedcom.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace orlavine {
namespace {

using test::ContenuSimple;
using test::DossierTemporaire;
using test::Ev;
using test::LieuDe;
namespace fs = std::filesystem;

std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const Erreur& e) {
        return e.what();
    }
    return "";
}

::testing::AssertionResult Contient(const std::string& texte, const std::string& morceau) {
    if (texte.find(morceau) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "« " << texte << " » sans « " << morceau << " »";
}

std::string Octets(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<std::string> Fichiers(const fs::path& dossier) {
    std::vector<std::string> noms;
    for (const auto& e : fs::directory_iterator(dossier))
        noms.push_back(e.path().filename());
    std::sort(noms.begin(), noms.end());
    return noms;
}

TContenuImport Nantes() {
    TContenuImport c;
    c.NomFichier = "autre.ged";
    c.Octets = "0 HEAD\n0 TRLR\n";
    c.Evenements.push_back(Ev(5, LieuDe("Nantes")));
    return c;
}

OptionsImport Remplacer() {
    OptionsImport o;
    o.Remplacer = true;
    return o;
}

// A child process that runs `f`; its exit status and what it wrote on `fd`.
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
        try {
            f(tube[1]);
        } catch (const std::exception& e) {
            const std::string m = std::string("exception : ") + e.what();
            if (::write(tube[1], m.data(), m.size()) < 0) ::_exit(5);
            ::_exit(6);
        }
        ::_exit(0);
    }
    ::close(tube[1]);
    Enfant e;
    char tampon[512];
    ssize_t n;
    while ((n = ::read(tube[0], tampon, sizeof tampon)) > 0)
        e.Sortie.append(tampon, static_cast<std::size_t>(n));
    ::close(tube[0]);
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    e.Statut = WIFEXITED(statut) ? WEXITSTATUS(statut) : 128 + WTERMSIG(statut);
    return e;
}

void Ecrit(int fd, const std::string& texte) {
    if (::write(fd, texte.data(), texte.size()) < 0) ::_exit(3);
}

// As an ordinary user: root writes through any permission.
void CommeUtilisateurOrdinaire() {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(4);
}

// ---- Finding: an import without replacement replaced a base made meanwhile ---------------

TEST(PartageBase, AnImportWithoutReplacementNeverReplacesABaseMadeMeanwhile) {
    DossierTemporaire d;
    const fs::path chemin = d / "b.sqlite";
    // Another import creates the base while this one is between its check and its rename.
    bool autreFaite = false;
    OptionsImport o;
    o.Progression = [&](int p) {
        if (p == 100 && !autreFaite) {
            autreFaite = true;
            CreeBase(Nantes(), chemin);
        }
        return true;
    };
    const std::string m = Message([&] { CreeBase(ContenuSimple(), chemin, o); });
    ASSERT_TRUE(autreFaite);
    EXPECT_TRUE(Contient(m, "b.sqlite"));
    EXPECT_TRUE(Contient(m, "existe déjà"));
    EXPECT_EQ(TBaseGenealogie(chemin).NomFichierOrigine(), "autre.ged");
    EXPECT_EQ(Fichiers(d()), std::vector<std::string>{"b.sqlite"});
}

// ---- Finding: a base open in another program was replaced ---------------------------------

TEST(PartageBase, ABaseOpenInAnotherProgramIsNotReplaced) {
    DossierTemporaire d;
    const fs::path chemin = d / "b.sqlite";
    CreeBase(ContenuSimple(), chemin);

    // The other program: a child process that holds the base open until told to end.
    int pret[2], fin[2];
    ASSERT_EQ(::pipe(pret), 0);
    ASSERT_EQ(::pipe(fin), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pret[0]);
        ::close(fin[1]);
        {
            TBaseGenealogie ouverte(chemin);
            Ecrit(pret[1], "ouverte");
            char c;
            while (::read(fin[0], &c, 1) > 0) {
            }
        }
        ::_exit(0);
    }
    ::close(pret[1]);
    ::close(fin[0]);
    char tampon[16] = {};
    ASSERT_GT(::read(pret[0], tampon, sizeof tampon), 0);

    const std::string m = Message([&] { CreeBase(Nantes(), chemin, Remplacer()); });
    EXPECT_TRUE(Contient(m, "b.sqlite"));
    EXPECT_TRUE(Contient(m, "processus " + std::to_string(pid)));
    EXPECT_TRUE(Contient(m, "n'a pas été remplacée"));
    ::close(fin[1]);
    ::close(pret[0]);
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    EXPECT_EQ(TBaseGenealogie(chemin).NomFichierOrigine(), "arbre.ged");

    // This program too: the base it has open is not replaced under it.
    {
        TBaseGenealogie ouverte(chemin);
        EXPECT_TRUE(Contient(Message([&] { CreeBase(Nantes(), chemin, Remplacer()); }),
                             "processus " + std::to_string(::getpid())));
    }
    // Closed everywhere: replaced.
    CreeBase(Nantes(), chemin, Remplacer());
    EXPECT_EQ(TBaseGenealogie(chemin).NomFichierOrigine(), "autre.ged");
}

// ---- Finding: a program wrote into the base that replaced its own -------------------------

TEST(PartageBase, AProgramWhoseBaseWasReplacedStopsWriting) {
    const std::vector<std::pair<const char*, std::function<void(TBaseGenealogie&)>>> ecritures = {
        {"ajout",
         [](TBaseGenealogie& b) {
             b.AjouteGeolocalisation({1, "", 47.2, -1.55, 4, "", Provenance::Main, ""});
         }},
        {"mise à jour",
         [](TBaseGenealogie& b) {
             b.MetAJourGeolocalisation(1, "", 47.2, -1.55, 4, Provenance::Main);
         }},
        {"suppression", [](TBaseGenealogie& b) { b.MarqueLieuSupprime(1, true); }},
        {"transaction",
         [](TBaseGenealogie& b) {
             TransactionSqlite t(b.Connexion());
             b.Connexion().Execute("DELETE FROM geolocalisation");
             t.Valide();
         }},
    };
    for (const bool deplacee : {false, true})
        for (const auto& [nom, ecrit] : ecritures) {
            SCOPED_TRACE(std::string(nom) + (deplacee ? ", base déplacée" : ", base remplacée"));
            DossierTemporaire d;
            const fs::path chemin = d / "b.sqlite";
            CreeBase(ContenuSimple(), chemin);
            CreeBase(Nantes(), d / "autre.sqlite");
            TBaseGenealogie base(chemin);
            EXPECT_EQ(base.Lieux().size(), 3u);
            // By a program that knows nothing of our lock (a file manager, a copy).
            if (deplacee)
                fs::rename(chemin, d / "ailleurs.sqlite");
            else
                fs::rename(d / "autre.sqlite", chemin);
            const std::string m = Message([&] { ecrit(base); });
            EXPECT_TRUE(Contient(m, "b.sqlite"));
            EXPECT_TRUE(Contient(m, deplacee ? "déplacée" : "remplacée"));
            EXPECT_TRUE(Contient(m, "rien n'y a été écrit"));
            if (!deplacee) {
                TBaseGenealogie nouvelle(chemin);
                EXPECT_EQ(nouvelle.NomFichierOrigine(), "autre.ged");
                EXPECT_TRUE(nouvelle.Geolocalisations().empty());
                EXPECT_FALSE(nouvelle.Lieux()[0].Supprime);
                EXPECT_EQ(nouvelle.VerifieIntegrite(), "ok");
            }
        }
}

// A run stores by transactions: the file is checked when a transaction begins (its BEGIN, then
// once it holds the lock) and when it commits, not before each of its statements; outside one,
// before each statement that writes.
TEST(PartageBase, TheFileIsCheckedAtEachTransactionsEndsAndBeforeEachLoneWrite) {
    DossierTemporaire d;
    ConnexionSqlite c(d / "c.sqlite", ConnexionSqlite::Acces::Creation);
    c.Execute("CREATE TABLE t (x INTEGER)");
    int verifications = 0;
    c.AvantEcriture([&] { ++verifications; });
    const struct {
        const char* Cas;
        bool Transaction;
        int Ecritures;
        int Attendues;
    } cas[] = {{"transaction", true, 50, 3}, {"seules", false, 3, 3}, {"vide", true, 0, 3}};
    for (const auto& k : cas) {
        SCOPED_TRACE(k.Cas);
        verifications = 0;
        std::optional<TransactionSqlite> t;
        if (k.Transaction) t.emplace(c);
        for (int i = 0; i < k.Ecritures; ++i)
            RequeteSqlite(c, "INSERT INTO t VALUES (?)").Lie(1, i).Execute();
        RequeteSqlite(c, "SELECT count(*) FROM t").Pas(); // reads are never checked
        if (t) t->Valide();
        EXPECT_EQ(verifications, k.Attendues);
    }
    // After the transaction, lone writes are checked again.
    verifications = 0;
    c.Execute("DELETE FROM t");
    EXPECT_EQ(verifications, 1);
}

TEST(PartageBase, ATransactionOpenWhenTheBaseIsReplacedCommitsNothing) {
    for (const bool deplacee : {false, true}) {
        SCOPED_TRACE(deplacee ? "base déplacée" : "base remplacée");
        DossierTemporaire d;
        const fs::path chemin = d / "b.sqlite";
        CreeBase(ContenuSimple(), chemin);
        CreeBase(Nantes(), d / "autre.sqlite");
        TBaseGenealogie base(chemin);
        auto lignes = [](TBaseGenealogie& b) {
            std::vector<std::tuple<int, std::string, double, double, int>> v;
            for (const TGeolocalisation& g : b.Geolocalisations())
                v.emplace_back(g.IdLieu, g.LieuDit, g.Latitude, g.Longitude, g.Etat);
            return v;
        };
        const auto avant = lignes(base);
        const auto autre = [&] {
            TBaseGenealogie b(d / "autre.sqlite");
            return lignes(b);
        }();
        const std::string m = Message([&] {
            TransactionSqlite t(base.Connexion());
            base.AjouteGeolocalisation({1, "", 47.2, -1.55, 4, "", Provenance::Main, ""});
            if (deplacee)
                fs::rename(chemin, d / "ailleurs.sqlite");
            else
                fs::rename(d / "autre.sqlite", chemin);
            base.MetAJourGeolocalisation(1, "", 47.3, -1.5, 4, Provenance::Main);
            t.Valide();
        });
        EXPECT_TRUE(Contient(m, deplacee ? "déplacée" : "remplacée"));
        EXPECT_TRUE(Contient(m, "rien n'y a été écrit"));
        // The file now at the path, or the one moved away that the program had open: as they
        // were.
        TBaseGenealogie apres(deplacee ? d / "ailleurs.sqlite" : chemin);
        EXPECT_EQ(lignes(apres), deplacee ? avant : autre);
        EXPECT_EQ(apres.VerifieIntegrite(), "ok");
    }
}

// ---- Finding: an intact base on a read-only or full disk called damaged -------------------

TEST(PartageBase, ABaseOnReadOnlyMediaOpensReadOnly) {
    constexpr auto lecture = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    constexpr auto parcours =
        lecture | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    const struct {
        fs::perms Fichier, Dossier;
        const char* Raison;
    } cas[] = {
        {lecture, parcours, "le fichier de la base est protégé en écriture"},
        {fs::perms::all, parcours, "le dossier de la base est protégé en écriture"},
        {lecture, fs::perms::all, "le fichier de la base est protégé en écriture"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.Raison);
        DossierTemporaire d, sortie;
        const fs::path chemin = d / "b.sqlite";
        CreeBase(ContenuSimple(), chemin);
        fs::permissions(chemin, c.Fichier);
        fs::permissions(d(), c.Dossier);
        fs::permissions(sortie(), fs::perms::all);
        const Enfant e = DansUnEnfant([&](int fd) {
            CommeUtilisateurOrdinaire();
            TBaseGenealogie base(chemin);
            Ecrit(fd, "lieux=" + std::to_string(base.Lieux().size()) + "\n");
            Ecrit(fd,
                  "export=" + std::to_string(ExporteGedcom(base, sortie / "s.ged").Ecrits) + "\n");
            Ecrit(fd, "ecriture=" + Message([&] { base.MarqueLieuSupprime(1, true); }) + "\n");
            Ecrit(fd, "seule=" + std::to_string(base.LectureSeule()) + "\n");
            Ecrit(fd, "pourquoi=" + base.RaisonLectureSeule() + "\n");
        });
        EXPECT_EQ(e.Statut, 0) << e.Sortie;
        EXPECT_TRUE(Contient(e.Sortie, "lieux=3\n"));
        EXPECT_TRUE(Contient(e.Sortie, "export=0\n"));
        EXPECT_TRUE(Contient(e.Sortie, "ecriture=\"" + chemin.string() +
                                           "\" : la base est ouverte en lecture seule"));
        EXPECT_FALSE(Contient(e.Sortie, "pas une base"));
        EXPECT_TRUE(Contient(e.Sortie, "seule=1\n"));
        EXPECT_TRUE(Contient(e.Sortie, std::string("pourquoi=") + c.Raison + "\n"));
        EXPECT_EQ(Octets(sortie / "s.ged"), ContenuSimple().Octets);
        fs::permissions(d(), fs::perms::owner_all);
        EXPECT_EQ(Fichiers(d()), std::vector<std::string>{"b.sqlite"});
    }
}

// A tmpfs of `taille` bytes mounted on `dossier` for the child only; false when this system
// does not let us (not root, no mount namespace).
bool MonteDisquePetit(const fs::path& dossier, const char* taille) {
    if (::unshare(CLONE_NEWNS) != 0) return false;
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    const std::string options = std::string("size=") + taille;
    return ::mount("tmpfs", dossier.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TEST(PartageBase, ABaseOnAFullDiskIsToldFull) {
    DossierTemporaire d;
    const Enfant e = DansUnEnfant([&](int fd) {
        if (!MonteDisquePetit(d(), "256k")) {
            Ecrit(fd, "sans disque");
            return;
        }
        const fs::path chemin = d / "b.sqlite";
        CreeBase(ContenuSimple(), chemin);
        {
            // Every free block taken.
            std::ofstream remplissage(d / "remplissage", std::ios::binary);
            const std::string bloc(4096, 'x');
            while (remplissage.write(bloc.data(), bloc.size()))
                remplissage.flush();
        }
        std::string ouverture = Message([&] {
            TBaseGenealogie base(chemin);
            Ecrit(fd, "lieux=" + std::to_string(base.Lieux().size()) + "\n");
            Ecrit(fd, "ecriture=" + Message([&] { base.MarqueLieuSupprime(1, true); }) + "\n");
            Ecrit(fd, "pourquoi=" + base.RaisonLectureSeule() + "\n");
        });
        Ecrit(fd, "ouverture=" + ouverture + "\n");
    });
    if (e.Sortie == "sans disque") GTEST_SKIP() << "pas de tmpfs sans les droits de root";
    EXPECT_EQ(e.Statut, 0) << e.Sortie;
    EXPECT_TRUE(Contient(e.Sortie, "lieux=3\n"));
    EXPECT_TRUE(Contient(e.Sortie, "ecriture="));
    EXPECT_TRUE(Contient(e.Sortie, "le disque est plein"));
    EXPECT_TRUE(Contient(e.Sortie, "pourquoi=le disque est plein"));
    EXPECT_TRUE(Contient(e.Sortie, "ouverture=\n"));
    EXPECT_FALSE(Contient(e.Sortie, "pas une base"));
}

// ---- Finding: files left behind ----------------------------------------------------------

TEST(PartageBase, OpeningABaseRemovesWhatKilledImportsLeft) {
    DossierTemporaire d;
    const fs::path chemin = d / "b.sqlite";
    CreeBase(ContenuSimple(), chemin);
    TContenuImport gros = ContenuSimple();
    for (int i = 0; i < 20000; ++i)
        gros.Evenements.push_back(Ev(100 + i, LieuDe("Ville" + std::to_string(i % 500))));
    const Enfant tue = DansUnEnfant([&](int) {
        OptionsImport o = Remplacer();
        o.Progression = [](int p) {
            if (p >= 50) ::kill(::getpid(), SIGKILL);
            return true;
        };
        CreeBase(gros, chemin, o);
    });
    ASSERT_EQ(tue.Statut, 128 + SIGKILL);
    ASSERT_EQ(Fichiers(d()).size(), 2u);
    { TBaseGenealogie base(chemin); }
    EXPECT_EQ(Fichiers(d()), std::vector<std::string>{"b.sqlite"});
}

TEST(PartageBase, NoSideFileBesideAFileThatIsNoBase) {
    DossierTemporaire d;
    auto sqlite = [&](const char* nom, const char* journal) {
        ConnexionSqlite c(d / nom, ConnexionSqlite::Acces::Creation);
        c.Execute(std::string("PRAGMA journal_mode = ") + journal + "; CREATE TABLE t(x);");
    };
    std::ofstream(d / "texte.sqlite") << std::string(200, 't');
    std::ofstream(d / "vide.sqlite");
    sqlite("autre-wal.sqlite", "WAL");
    sqlite("autre.sqlite", "DELETE");
    for (const char* nom : {"texte.sqlite", "vide.sqlite", "autre-wal.sqlite", "autre.sqlite"})
        for (const bool lecture : {false, true}) {
            SCOPED_TRACE(nom);
            EXPECT_TRUE(Contient(Message([&] { TBaseGenealogie b(d / nom, lecture); }),
                                 "pas une base Orlavine"));
        }
    EXPECT_EQ(Fichiers(d()), (std::vector<std::string>{"autre-wal.sqlite", "autre.sqlite",
                                                       "texte.sqlite", "vide.sqlite"}));
}

} // namespace
} // namespace orlavine
