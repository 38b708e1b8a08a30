// orlavine-cli run as a process: what reaches its terminal; two of them on one base (an import
// that would replace a base another run has open, a run whose base is replaced under it, two
// imports started together).
#include "genealogie/base.h"
#include "tests/commun/outils.h"

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace orlavine {
namespace {

namespace fs = std::filesystem;
using test::Contient;

// An orlavine-cli process, its output in files, in a home of its own (settings, log, cache).
class Programme {
public:
    Programme(const fs::path& dossier, const std::string& nom, std::vector<std::string> args)
        : sortie_(dossier / (nom + ".out")), erreurs_(dossier / (nom + ".err")) {
        const fs::path maison = dossier / "maison";
        fs::create_directories(maison);
        std::vector<std::string> env = {"HOME=" + maison.string(),
                                        "XDG_CONFIG_HOME=" + (maison / "config").string(),
                                        "XDG_DATA_HOME=" + (maison / "donnees").string(),
                                        "XDG_CACHE_HOME=" + (maison / "cache").string(),
                                        "LC_ALL=C.UTF-8",
                                        "PATH=/usr/bin:/bin"};
        args.insert(args.begin(), ORLAVINE_CLI);
        std::vector<char*> argv, envp;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, sortie_.c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, erreurs_.c_str(), O_WRONLY | O_CREAT, 0644);
        EXPECT_EQ(posix_spawn(&pid_, ORLAVINE_CLI, &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Programme() {
        if (statut_ < 0) {
            ::kill(pid_, SIGKILL);
            Attend();
        }
    }
    pid_t Pid() const { return pid_; }
    // True once the process has ended (it is not reaped: Attend gives its status).
    bool Fini() const {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
               info.si_pid != 0;
    }
    int Attend() {
        if (statut_ < 0) {
            int s = 0;
            ::waitpid(pid_, &s, 0);
            statut_ = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
        }
        return statut_;
    }
    std::string Sortie() const { return test::LitFichier(sortie_); }
    std::string Erreurs() const { return test::LitFichier(erreurs_); }

private:
    fs::path sortie_, erreurs_;
    pid_t pid_ = -1;
    int statut_ = -1;
};

// An address search service on 127.0.0.1 that holds its first answer until released.
class ServiceRetenu {
public:
    ServiceRetenu() {
        ecoute_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(ecoute_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(ecoute_, 4);
        socklen_t n = sizeof a;
        ::getsockname(ecoute_, reinterpret_cast<sockaddr*>(&a), &n);
        port_ = ntohs(a.sin_port);
        fil_ = std::thread([this] { Sert(); });
    }
    ~ServiceRetenu() {
        Libere();
        ::shutdown(ecoute_, SHUT_RDWR);
        fil_.join();
        ::close(ecoute_);
    }
    std::string Adresse() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // True once a request came (false when none came in time: the run ended before asking).
    bool AttendRequete(const Programme& p) {
        std::unique_lock verrou(m_);
        for (int i = 0; i < 600 && !recue_; ++i) {
            if (p.Fini()) break;
            cv_.wait_for(verrou, std::chrono::milliseconds(100));
        }
        return recue_;
    }
    void Libere() {
        std::lock_guard verrou(m_);
        libere_ = true;
        cv_.notify_all();
    }

private:
    void Sert() {
        for (;;) {
            const int s = ::accept4(ecoute_, nullptr, nullptr, SOCK_CLOEXEC);
            if (s < 0) return;
            std::string requete;
            char tampon[4096];
            ssize_t n;
            while (requete.find("\r\n\r\n") == std::string::npos &&
                   (n = ::read(s, tampon, sizeof tampon)) > 0)
                requete.append(tampon, static_cast<std::size_t>(n));
            {
                std::unique_lock verrou(m_);
                recue_ = true;
                cv_.notify_all();
                cv_.wait(verrou, [this] { return libere_; });
            }
            const std::string corps =
                R"([{"lat":"47.5","lon":"-0.5","display_name":"Nulle Part, France"}])";
            const std::string reponse =
                "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                std::to_string(corps.size()) + "\r\nConnection: close\r\n\r\n" + corps;
            if (::write(s, reponse.data(), reponse.size()) < 0) {
            }
            ::close(s);
        }
    }

    int ecoute_ = -1;
    int port_ = 0;
    std::thread fil_;
    std::mutex m_;
    std::condition_variable cv_;
    bool recue_ = false;
    bool libere_ = false;
};

class DeuxProgrammes : public ::testing::Test {
protected:
    void SetUp() override {
        atlas_.EcritAtlas({test::Commune("NANTES", "44109", 47.2f, -1.55f)});
        // A place neither the atlas nor the offline geocoder knows: asked online.
        test::EcritFichier(Chemin("inconnu.ged"), "0 HEAD\n1 CHAR UTF-8\n0 @I1@ INDI\n1 BIRT\n"
                                                  "2 PLAC Qzxwvkj Ybbrtt\n0 TRLR\n");
        test::EcritFichier(Chemin("nantes.ged"),
                           "0 HEAD\n1 CHAR UTF-8\n0 @I1@ INDI\n1 BIRT\n2 PLAC Nantes\n0 TRLR\n");
    }
    fs::path Chemin(const std::string& nom) const { return dossier_.Chemin() / nom; }
    // True while an import's temporary file is in the folder.
    bool Construit() const {
        for (const auto& e : fs::directory_iterator(dossier_.Chemin()))
            if (e.path().filename().string().find(".import-") != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> Base(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--atlas", atlas_.Chemin().string(), "base"});
        return args;
    }

    test::DossierTemporaire atlas_;
    test::DossierTemporaire dossier_;
};

TEST_F(DeuxProgrammes, AnOpenBaseIsNotReplacedAndAReplacedBaseIsNotWritten) {
    const std::string base = Chemin("b.sqlite").string();
    {
        Programme import(dossier_.Chemin(), "import",
                         Base({"importer", Chemin("inconnu.ged").string(), "--base", base}));
        ASSERT_EQ(import.Attend(), 0) << import.Erreurs();
    }
    ServiceRetenu service;
    Programme run(dossier_.Chemin(), "run",
                  Base({"geolocaliser", "--base", base, "--en-ligne", "--service",
                        service.Adresse(), "--geocodeur", ORLAVINE_MONDE_BUNDLED}));
    if (!service.AttendRequete(run)) {
        ASSERT_NE(run.Attend(), 0);
        if (Contient(run.Erreurs(), "construit sans la recherche en ligne"))
            GTEST_SKIP() << "orlavine-cli sans la recherche en ligne";
        FAIL() << run.Erreurs();
    }

    // While the run waits for the service, an import is asked to replace its base.
    Programme remplace(
        dossier_.Chemin(), "remplace",
        Base({"importer", Chemin("nantes.ged").string(), "--base", base, "--remplacer"}));
    EXPECT_EQ(remplace.Attend(), 1) << remplace.Sortie();
    const std::string refus = remplace.Erreurs();
    EXPECT_TRUE(Contient(refus, "b.sqlite"));
    EXPECT_TRUE(Contient(refus, "orlavine-cli (processus " + std::to_string(run.Pid()) + ")"));
    EXPECT_TRUE(Contient(refus, "n'a pas été remplacée"));

    // A program that ignores the lock replaces it all the same.
    {
        Programme autre(dossier_.Chemin(), "autre",
                        Base({"importer", Chemin("nantes.ged").string(), "--base",
                              Chemin("autre.sqlite").string()}));
        ASSERT_EQ(autre.Attend(), 0) << autre.Erreurs();
    }
    fs::rename(Chemin("autre.sqlite"), base);
    service.Libere();
    EXPECT_EQ(run.Attend(), 1) << run.Sortie();
    EXPECT_TRUE(Contient(run.Erreurs(), "remplacée")) << run.Erreurs();
    EXPECT_TRUE(Contient(run.Erreurs(), "rien n'y a été écrit")) << run.Erreurs();

    // The base that replaced it holds nothing of the run.
    TBaseGenealogie nouvelle(base);
    ASSERT_EQ(nouvelle.Lieux().size(), 1u);
    EXPECT_EQ(nouvelle.Lieux()[0].Texte, "Nantes");
    EXPECT_TRUE(nouvelle.Geolocalisations().empty());
    EXPECT_EQ(nouvelle.VerifieIntegrite(), "ok");
}

TEST_F(DeuxProgrammes, TwoImportsStartedTogetherNeverBothSucceed) {
    // Long enough to build that the second import starts and ends meanwhile.
    std::string gedcom = "0 HEAD\n1 CHAR UTF-8\n";
    for (int i = 0; i < 150000; ++i)
        gedcom += "0 @I" + std::to_string(i) + "@ INDI\n1 BIRT\n2 PLAC Ville" +
                  std::to_string(i % 3000) + ", France\n";
    gedcom += "0 TRLR\n";
    test::EcritFichier(Chemin("grand.ged"), gedcom);
    const std::string base = Chemin("b.sqlite").string();
    for (int essai = 0; essai < 3; ++essai) {
        SCOPED_TRACE(essai);
        fs::remove(base);
        Programme premier(dossier_.Chemin(), "premier",
                          Base({"importer", Chemin("grand.ged").string(), "--base", base}));
        // The second starts once the first has checked that there is no base and is building
        // its own (its temporary file is there).
        while (!premier.Fini() && !Construit()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        Programme second(dossier_.Chemin(), "second",
                         Base({"importer", Chemin("nantes.ged").string(), "--base", base}));
        const int a = premier.Attend(), b = second.Attend();
        EXPECT_EQ(std::min(a, b), 0) << premier.Erreurs() << second.Erreurs();
        EXPECT_EQ(std::max(a, b), 1) << "les deux imports ont réussi";
        const std::string refus = a == 1 ? premier.Erreurs() : second.Erreurs();
        EXPECT_TRUE(Contient(refus, "existe déjà")) << refus;
        // The base is the one the successful import announced.
        TBaseGenealogie ouverte(base);
        EXPECT_EQ(ouverte.Lieux().size(), a == 0 ? 3000u : 1u);
        EXPECT_EQ(ouverte.VerifieIntegrite(), "ok");
    }
    std::vector<std::string> restes;
    for (const auto& e : fs::directory_iterator(dossier_.Chemin()))
        if (e.path().filename().string().find(".import-") != std::string::npos)
            restes.push_back(e.path().filename());
    EXPECT_TRUE(restes.empty());
}

// Qt's own messages (here: no XDG_RUNTIME_DIR in the environment) go to the log; the terminal
// gets only the program's French lines.
TEST(ProgrammeSeul, QtsOwnMessagesGoToTheLogNotTheTerminal) {
    test::DossierTemporaire atlas, dossier;
    atlas.EcritAtlas({test::Commune("NANTES", "44109", 47.2f, -1.55f)});
    Programme carte(dossier.Chemin(), "carte",
                    {"--atlas", atlas.Chemin().string(), "carte", "NANTES", "--sortie",
                     (dossier.Chemin() / "nantes.png").string()});
    const int statut = carte.Attend();
    if (statut == 2 && Contient(carte.Erreurs(), "carte")) GTEST_SKIP() << carte.Erreurs();
    ASSERT_EQ(statut, 0) << carte.Erreurs();
    EXPECT_TRUE(fs::exists(dossier.Chemin() / "nantes.png"));
    EXPECT_FALSE(Contient(carte.Erreurs(), "XDG_RUNTIME_DIR")) << carte.Erreurs();
    std::string journal;
    for (const auto& e : fs::recursive_directory_iterator(dossier.Chemin() / "maison"))
        if (e.path().filename() == "orlavine.log") journal += test::LitFichier(e.path());
    EXPECT_TRUE(Contient(journal, "Qt : QStandardPaths: XDG_RUNTIME_DIR")) << journal;
}

} // namespace
} // namespace orlavine
