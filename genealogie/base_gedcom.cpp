#include "genealogie/base_gedcom.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace orlavine {

namespace fs = std::filesystem;

void EcritAtomique(const fs::path& chemin, std::string_view octets) {
    EcritAtomique(chemin,
                  [&](const std::function<void(std::string_view)>& ecrit) { ecrit(octets); });
}

void EcritAtomique(
    const fs::path& chemin,
    const std::function<void(const std::function<void(std::string_view)>&)>& remplit) {
    auto echec = [&](int numero) {
        throw ErreurGenealogie(chemin.string(), 0,
                               "écriture impossible : " + RaisonSysteme(numero) +
                                   " ; aucun fichier n'a été modifié");
    };
    std::error_code ec;
    if (fs::is_directory(chemin, ec)) echec(EISDIR);
    const fs::path dossier = chemin.parent_path();
    std::string modele = (dossier / ("." + chemin.filename().string() + ".tmp-XXXXXX")).string();
    const int fd = ::mkstemp(modele.data());
    if (fd < 0) echec(errno);
    auto abandonne = [&](int numero) {
        ::close(fd);
        ::unlink(modele.c_str());
        echec(numero);
    };
    auto ecrit = [&](std::string_view octets) {
        const char* p = octets.data();
        std::size_t reste = octets.size();
        while (reste > 0) {
            const ssize_t n = ::write(fd, p, reste);
            if (n < 0) {
                if (errno == EINTR) continue;
                abandonne(errno);
            }
            p += n;
            reste -= static_cast<std::size_t>(n);
        }
    };
    try {
        remplit(ecrit);
    } catch (...) {
        ::close(fd);
        ::unlink(modele.c_str());
        throw;
    }
    if (::fsync(fd) != 0) abandonne(errno);
    if (::close(fd) != 0) {
        const int numero = errno;
        ::unlink(modele.c_str());
        echec(numero);
    }
    ::chmod(modele.c_str(), 0644);
    if (::rename(modele.c_str(), chemin.c_str()) != 0) {
        const int numero = errno;
        ::unlink(modele.c_str());
        echec(numero);
    }
}

namespace {

// What the base keeps of one place: nothing for a PLAC with nothing in it.
std::optional<TContenuImport::Evenement> EvenementDe(LieuEvenement&& l) {
    if (l.TexteLieu.empty() && l.Parties.LieuDit.empty()) return std::nullopt;
    TContenuImport::Evenement e;
    e.LignePlac = l.LignePlac;
    e.Etiquette = l.Evenement;
    e.Lieu.Texte = std::move(l.TexteLieu);
    e.Lieu.Commune = std::move(l.Parties.Commune);
    e.Lieu.CodeInsee = std::move(l.Parties.CodeInsee);
    e.Lieu.CodePostal = std::move(l.Parties.CodePostal);
    e.Lieu.Departement = std::move(l.Parties.Departement);
    e.Lieu.Region = std::move(l.Parties.Region);
    e.Lieu.Pays = std::move(l.Parties.Pays);
    e.LieuDit = std::move(l.Parties.LieuDit);
    if (l.Coordonnees) {
        e.Latitude = l.Coordonnees->Latitude;
        e.Longitude = l.Coordonnees->Longitude;
        e.SousPlac = l.Coordonnees->Source == SourceCoordonnees::PlacMap;
    }
    return e;
}

// A file on disk read by pieces.
class SourceFichier : public SourceGedcom {
public:
    explicit SourceFichier(const fs::path& fichier) : nom_(fichier.string()) {
        std::error_code ec;
        if (fs::is_directory(fichier, ec)) throw ErreurGenealogie(nom_, 0, RaisonSysteme(EISDIR));
        fd_ = ::open(fichier.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            throw ErreurGenealogie(nom_, 0, "lecture impossible : " + RaisonSysteme(errno));
        struct stat etat {};
        if (::fstat(fd_, &etat) != 0) {
            const int numero = errno;
            ::close(fd_);
            throw ErreurGenealogie(nom_, 0, "lecture impossible : " + RaisonSysteme(numero));
        }
        taille_ = static_cast<std::uint64_t>(etat.st_size);
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    ~SourceFichier() override { ::close(fd_); }
    SourceFichier(const SourceFichier&) = delete;
    SourceFichier& operator=(const SourceFichier&) = delete;
    std::uint64_t Taille() const override { return taille_; }
    std::size_t Lit(std::uint64_t position, char* tampon, std::size_t n) override {
        std::size_t total = 0;
        while (total < n && position + total < taille_) {
            const ssize_t k =
                ::pread(fd_, tampon + total, n - total, static_cast<off_t>(position + total));
            if (k < 0 && errno == EINTR) continue;
            if (k < 0)
                throw ErreurGenealogie(nom_, 0, "lecture impossible : " + RaisonSysteme(errno));
            if (k == 0) break;
            total += static_cast<std::size_t>(k);
        }
        return total;
    }

private:
    std::string nom_;
    int fd_ = -1;
    std::uint64_t taille_ = 0;
};

// The file kept in a base, read by pieces from its blob.
class SourceBase : public SourceGedcom {
public:
    explicit SourceBase(TBaseGenealogie& base)
        : blob_(base.Connexion(), "fichier_origine", "octets", 1, false) {}
    std::uint64_t Taille() const override { return blob_.Taille(); }
    std::size_t Lit(std::uint64_t position, char* tampon, std::size_t n) override {
        return blob_.Lit(position, tampon, n);
    }

private:
    BlobSqlite blob_;
};

} // namespace

ResultatImport ImporteGedcom(const fs::path& fichier, const fs::path& base,
                             const OptionsImportGedcom& options) {
    std::error_code ec;
    // Refused before the file is read: a refusal costs nothing and touches nothing.
    if (!options.Remplacer && fs::exists(base, ec))
        throw ErreurGenealogie(base.string(), 0,
                               "une base existe déjà à cet endroit ; elle n'a pas été modifiée "
                               "(demandez son remplacement pour l'écraser)");
    if (fs::exists(base, ec) && fs::equivalent(fichier, base, ec))
        throw ErreurGenealogie(base.string(), 0,
                               "la base ne peut pas remplacer le fichier GEDCOM importé");
    // Refused before the file is read, while another program has the base open.
    if (fs::exists(base, ec) && !fs::is_directory(base, ec)) VerifieRemplacable(base);
    if (fs::exists(base, ec) && !fs::is_directory(base, ec) && !EstBaseOrlavine(base))
        throw ErreurGenealogie(base.string(), 0,
                               "ce fichier n'est pas une base Orlavine ; il n'a pas été remplacé");
    // Opened first: a missing or unreadable file is told before anything else.
    SourceFichier source(fichier);
    const std::string nom = fichier.filename().string();
    ResultatImport resultat;
    OptionsImport creation;
    creation.Remplacer = options.Remplacer;
    if (options.Progression) creation.Progression = options.Progression;
    // Read in one pass while the base is built: the bytes go into the base by pieces, each
    // place as its record ends.
    resultat.Comptes = CreeBase(
        nom, source.Taille(),
        [&](TRedacteurImport& redacteur) {
            OptionsLecture lecture;
            lecture.EstCommune = options.EstCommune;
            lecture.Progression = [&](std::uint64_t lus, std::uint64_t total) {
                redacteur.Avance(total ? static_cast<int>(lus * 90 / total) : 0);
                return true;
            };
            if (options.LignesLues) lecture.LignesLues = options.LignesLues;
            RecepteurGedcom recepteur;
            recepteur.Octets = [&](std::string_view o) { redacteur.Octets(o); };
            recepteur.Lieu = [&](LieuEvenement& l) {
                if (auto e = EvenementDe(std::move(l))) redacteur.Ajoute(*e);
            };
            recepteur.Recommence = [&] { redacteur.Recommence(); };
            DocumentGedcom document = LitGedcomFlux(source, nom, recepteur, lecture);
            resultat.Avertissements = std::move(document.Avertissements);
            resultat.Encodage = NomEncodage(document.Jeu);
            TContenuImport infos;
            infos.Individus = static_cast<long>(document.Individus);
            infos.Familles = static_cast<long>(document.Familles);
            infos.LignesIgnorees = static_cast<long>(document.LignesIgnorees);
            infos.Encodage = resultat.Encodage;
            return infos;
        },
        base, creation);
    return resultat;
}

RapportEcriture
ExporteGedcom(TBaseGenealogie& base, const fs::path& sortie,
              const std::function<void(std::uint64_t, std::uint64_t)>& progression) {
    std::error_code ec;
    // A GEDCOM file written over a base would lose the base (this one or another).
    if (fs::exists(sortie, ec) && EstBaseOrlavine(sortie))
        throw ErreurGenealogie(sortie.string(), 0,
                               "ce fichier est une base Orlavine : il n'a pas été remplacé ; "
                               "choisissez un autre nom pour le fichier GEDCOM");
    const std::string nom = base.NomFichierOrigine();
    std::vector<CoordonneesEvenement> changements;
    for (const TBaseGenealogie::Changement& c : base.ChangementsAExporter())
        changements.push_back(
            {static_cast<std::uint32_t>(c.LignePlac), c.Latitude, c.Longitude, c.Retirer});
    // The stored bytes are read again by pieces as they were at the import: the PLAC line
    // numbers of the base name the same lines.
    SourceBase source(base);
    OptionsLecture lecture;
    const std::uint64_t total = source.Taille();
    std::uint64_t ecrits = 0;
    RapportEcriture rapport;
    EcritAtomique(sortie, [&](const std::function<void(std::string_view)>& ecrit) {
        rapport = EcritGedcomFlux(
            source, nom, changements,
            [&](std::string_view o) {
                ecrit(o);
                ecrits += o.size();
                if (progression) progression(std::min(ecrits, total), total);
            },
            lecture);
    });
    return rapport;
}

std::vector<std::string> PhrasesExport(const RapportEcriture& r) {
    std::vector<std::string> phrases{std::to_string(r.Ecrits) +
                                     " lieu(x) d'événement aux coordonnées ajoutées, modifiées "
                                     "ou retirées."};
    if (r.OrdonnancesSansCoordonnees)
        phrases.push_back(std::to_string(r.OrdonnancesSansCoordonnees) +
                          " lieu(x) d'ordonnance SDJ (BAPL, CONL, ENDL, SLGC, SLGS) laissé(s) "
                          "sans coordonnées : GEDCOM 5.5 et 5.5.1 n'en admettent pas à cet "
                          "endroit ; ces lieux les portent sous leurs autres événements.");
    if (!r.VersionRelevee.empty())
        phrases.push_back("Version du fichier portée de GEDCOM 5.5 à " + r.VersionRelevee +
                          " (HEAD.GEDC.VERS) : les coordonnées (MAP) n'existent qu'à partir de "
                          "5.5.1.");
    return phrases;
}

} // namespace orlavine
