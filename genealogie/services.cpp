#include "genealogie/services.h"

#include "host/ini.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlavine {

namespace fs = std::filesystem;

namespace {
// A single-precision degree value as the decimal its caller wrote: 48.11f is 48.110001 when
// widened as is, and the file would get that spurious digit.
double Elargit(float valeur) {
    char texte[32];
    const auto fin = std::to_chars(texte, texte + sizeof texte, valeur).ptr;
    double d = valeur;
    std::from_chars(texte, fin, d);
    return d;
}
} // namespace

SGeoChps::SGeoChps(int idPlace, std::string lieuDit, float latitude, float longitude, int etat,
                   std::string adresse)
    : IdPlace(idPlace), LieuDit(std::move(lieuDit)), AdresseRech(std::move(adresse)),
      Latitude(Elargit(latitude)), Longitude(Elargit(longitude)), Etat(etat) {}

bool EtatDansFiltre(int etat, TypeFilterDisplayList filtre) {
    switch (filtre) {
    case FilterLocate:
        return etat == 0 || etat == 2 || etat == 4 || etat == 5 || etat == 6;
    case FilterNotLocate:
        return etat == 1 || etat == 3;
    case FilterPlaceCheck:
        return etat == 7;
    }
    return false;
}

void TManageProgress::SetProgress(TProgressBar* barre, int pourcent) {
    if (!barre) return;
    barre->SetPosition(std::clamp(pourcent, 0, 100));
    barre->TraiteMessages();
}

// ---- TModuleBDD ---------------------------------------------------------------------------

Provenance TModuleBDD::ProvenanceDeEtat(int etat) {
    switch (etat) {
    case EtatAdresseTrouvee:
        return Provenance::Geocodeur;
    case EtatCommunePays:
        return Provenance::Atlas;
    case EtatLocaliseLu:
        return Provenance::Gedcom;
    default:
        return Provenance::Main;
    }
}

void TModuleBDD::GetListLocatedPlaces(std::vector<std::unique_ptr<SGeoChps>>& liste,
                                      const bool* annuler, TProgressBar* barre) {
    TManageProgress progression(0);
    ConnexionSqlite& c = base_.Connexion();
    const auto total =
        c.Entier("SELECT count(*) FROM geolocalisation g JOIN lieux l ON l.id = g.lieu "
                 "WHERE l.supprime = 0")
            .value_or(0);
    progression.SetProgress(barre, 0);
    RequeteSqlite r(c, "SELECT g.lieu, g.lieu_dit, g.latitude, g.longitude, g.etat, g.adresse "
                       "FROM geolocalisation g JOIN lieux l ON l.id = g.lieu "
                       "WHERE l.supprime = 0 ORDER BY g.lieu, g.lieu_dit");
    std::int64_t n = 0;
    int dernier = 0;
    while (r.Pas()) {
        auto g = std::make_unique<SGeoChps>();
        g->IdPlace = static_cast<int>(r.Entier(0));
        g->LieuDit = r.Texte(1);
        g->Latitude = r.Reel(2);
        g->Longitude = r.Reel(3);
        g->Etat = static_cast<int>(r.Entier(4));
        g->AdresseRech = r.Texte(5);
        liste.push_back(std::move(g));
        ++n;
        const int pourcent = static_cast<int>(n * 100 / (total ? total : 1));
        if (pourcent != dernier) {
            dernier = pourcent;
            progression.SetProgress(barre, pourcent);
        }
        if (annuler && *annuler) break;
    }
    progression.SetProgress(barre, 100);
}

bool TModuleBDD::IsEltTableGeoExist(const SGeoChps* lieu) {
    return base_.Geolocalisation(lieu->IdPlace, lieu->LieuDit).has_value();
}

void TModuleBDD::AjouterEltTableGeo(const SGeoChps* lieu, bool) {
    TGeolocalisation g;
    g.IdLieu = lieu->IdPlace;
    g.LieuDit = lieu->LieuDit;
    g.Latitude = lieu->Latitude;
    g.Longitude = lieu->Longitude;
    g.Etat = lieu->Etat;
    g.Adresse = lieu->AdresseRech;
    g.Origine = ProvenanceDeEtat(lieu->Etat);
    base_.AjouteGeolocalisation(g);
}

void TModuleBDD::UpdateCoordGeo(const SGeoChps* lieu, bool) {
    if (!base_.MetAJourGeolocalisation(lieu->IdPlace, lieu->LieuDit, lieu->Latitude,
                                       lieu->Longitude, lieu->Etat, ProvenanceDeEtat(lieu->Etat),
                                       lieu->AdresseRech))
        AjouterEltTableGeo(lieu);
}

void TModuleBDD::DeleteLacatedPlaces(int idPlace, std::string_view lieuDit) {
    base_.SupprimeGeolocalisation(idPlace, lieuDit);
}

void TModuleBDD::DeleteAllLacatedPlaces(TypeFilterDisplayList filtre) {
    std::vector<int> etats;
    for (int etat = 0; etat <= 7; ++etat)
        if (EtatDansFiltre(etat, filtre)) etats.push_back(etat);
    base_.SupprimeGeolocalisations(etats);
}

// ---- Places file --------------------------------------------------------------------------

void TEltDupWideChn::GetVilleRegionPays(std::string& ville, std::string& region,
                                        std::string& pays) const {
    ville = lieu_.Commune;
    region = lieu_.Region;
    pays = lieu_.Pays;
}

std::string TEltDupWideChn::ChargeElement(int, int) const {
    return lieu_.Texte;
}

TFicheDupli::TFicheDupli(const TFicDupli* fichier, int idPlace, bool chargeMaintenant)
    : IdPlace(idPlace), fichier_(fichier) {
    if (chargeMaintenant) LectureMemoire(idPlace);
}

bool TFicheDupli::LectureMemoire(int idPlace) {
    IdPlace = idPlace;
    const TLieu* lieu = fichier_ ? fichier_->Lieu(idPlace) : nullptr;
    Texte.lieu_ = lieu ? *lieu : TLieu{};
    CodeCommune = Texte.lieu_.CodeInsee.empty() ? Texte.lieu_.CodePostal : Texte.lieu_.CodeInsee;
    return lieu != nullptr;
}

TFicDupli::TFicDupli(TBaseGenealogie& base) : base_(base) {
    Recharge();
}

void TFicDupli::Recharge() {
    lieux_ = base_.Lieux();
    // Ids are dense from 1 in a base made by the import; guard the lookup by id anyway.
    for (std::size_t i = 0; i < lieux_.size(); ++i)
        if (lieux_[i].Id != static_cast<int>(i + 1))
            throw ErreurGenealogie(base_.Chemin().string(), 0,
                                   "numéros de lieux non consécutifs (lieu " +
                                       std::to_string(lieux_[i].Id) + ")");
}

const TLieu* TFicDupli::Lieu(int idPlace) const {
    if (idPlace < 1 || idPlace > NombreFiches()) return nullptr;
    return &lieux_[static_cast<std::size_t>(idPlace - 1)];
}

std::string TFicDupli::Charge(int idPlace) const {
    const TLieu* lieu = Lieu(idPlace);
    return lieu ? lieu->Texte : std::string();
}

// ---- Events file --------------------------------------------------------------------------

int TFicEvens::PreProcessSearch(std::string_view, std::string_view cle, int, bool) {
    PostProcessSearch();
    if (cle != CleParLieu) return 0;
    const long n = base_.NombreEvenements();
    parcours_ = std::make_unique<TParcoursEvenementsParLieu>(base_.Connexion());
    restants_ = static_cast<std::size_t>(std::max(n, 0L));
    return static_cast<int>(n);
}

bool TFicEvens::GetEvenParcours(TEvenement& evenement, int) {
    // Never more events than the count announced, so that k/n stays within 100 %.
    if (!parcours_ || restants_ == 0 || !parcours_->Suivant(courant_)) return false;
    --restants_;
    evenement.IdPlace = courant_.IdLieu;
    evenement.LieuDit = std::move(courant_.LieuDit);
    evenement.LignePlac = courant_.LignePlac;
    return true;
}

void TFicEvens::PostProcessSearch() {
    parcours_.reset();
    restants_ = 0;
}

// ---- Country file -------------------------------------------------------------------------

std::string TFicPays::GetCPByCom(std::string_view ville, std::string_view code,
                                 std::string_view codePays, double& longitude,
                                 double& latitude) const {
    if (!recherche_) return {};
    const auto commune = recherche_(ville, code, codePays);
    if (!commune) return {};
    longitude = commune->Longitude;
    latitude = commune->Latitude;
    return commune->CodePostal;
}

// ---- Settings and log ---------------------------------------------------------------------

namespace {

std::string& DossierImpose() {
    static std::string dossier;
    return dossier;
}

std::string AvecSeparateur(std::string d) {
    if (!d.empty() && d.back() != '/') d += '/';
    return d;
}

fs::path FichierReglages() {
    return fs::path(asRepAppData()) / "orlavine.ini";
}

std::string SurUneLigne(std::string_view texte) {
    std::string s(texte);
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

} // namespace

std::string asRepAppData() {
    std::string dossier = DossierImpose();
    if (dossier.empty()) {
        const char* xdg = std::getenv("XDG_DATA_HOME");
        const char* home = std::getenv("HOME");
        if (xdg && *xdg == '/')
            dossier = std::string(xdg) + "/orlavine";
        else if (home && *home)
            dossier = std::string(home) + "/.local/share/orlavine";
        else
            dossier = (fs::temp_directory_path() / "orlavine").string();
    }
    std::error_code ec;
    fs::create_directories(dossier, ec);
    return AvecSeparateur(dossier);
}

void DefinitRepAppData(std::string dossier) {
    DossierImpose() = std::move(dossier);
}

std::string asPaysParDefaut() {
    const TIniFile ini(FichierReglages());
    if (!ini.ValueExists("Hote", "PaysParDefaut")) return "France";
    return ini.ReadString("Hote", "PaysParDefaut", "France");
}

bool DefinitPaysParDefaut(std::string_view pays, std::string* erreur) {
    TIniFile ini(FichierReglages());
    ini.WriteString("Hote", "PaysParDefaut", SurUneLigne(pays));
    return ini.UpdateFile(erreur);
}

std::string CheminLog() {
    return asRepAppData() + "orlavine.log";
}

bool AddLog(std::string_view message, std::string_view texte1, std::string_view texte2) {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S ", &tm);
    std::string ligne = date + SurUneLigne(message);
    if (!texte1.empty()) ligne += " " + SurUneLigne(texte1);
    if (!texte2.empty()) ligne += " " + SurUneLigne(texte2);
    ligne += '\n';
    // One write in append mode: lines of two programs never interleave.
    const std::string chemin = CheminLog();
    int fd = -1;
    for (int essai = 0; essai < 3; ++essai) {
        fd = ::open(chemin.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_size == 0 ||
            st.st_size + static_cast<off_t>(ligne.size()) <= TailleMaxLog)
            break;
        // Full: it becomes "orlavine.log.1" (and that one ".2", the oldest dropped). Under the
        // log's lock, and only if no other program rotated it meanwhile.
        ::flock(fd, LOCK_EX);
        struct stat actuel {};
        if (::stat(chemin.c_str(), &actuel) == 0 && actuel.st_ino == st.st_ino &&
            actuel.st_dev == st.st_dev) {
            for (int i = FichiersLog - 1; i > 0; --i) {
                const std::string vers = chemin + "." + std::to_string(i);
                const std::string depuis = i > 1 ? chemin + "." + std::to_string(i - 1) : chemin;
                ::rename(depuis.c_str(), vers.c_str());
            }
        }
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) return false;
    const ssize_t n = ::write(fd, ligne.data(), ligne.size());
    const bool ok = ::close(fd) == 0 && n == static_cast<ssize_t>(ligne.size());
    return ok;
}

} // namespace orlavine
