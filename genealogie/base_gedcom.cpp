#include "genealogie/base_gedcom.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace orlavine {

namespace fs = std::filesystem;

std::string LitOctets(const fs::path& fichier) {
    std::error_code ec;
    if (fs::is_directory(fichier, ec))
        throw ErreurGenealogie(fichier.string(), 0, RaisonSysteme(EISDIR));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(fichier.c_str(), "rb"),
                                                      &std::fclose);
    if (!f)
        throw ErreurGenealogie(fichier.string(), 0, "lecture impossible : " + RaisonSysteme(errno));
    std::string octets;
    const auto taille = fs::file_size(fichier, ec);
    if (!ec) octets.reserve(static_cast<std::size_t>(taille));
    char tampon[1 << 16];
    std::size_t n;
    while ((n = std::fread(tampon, 1, sizeof tampon, f.get())) > 0)
        octets.append(tampon, n);
    if (std::ferror(f.get()))
        throw ErreurGenealogie(fichier.string(), 0, "lecture impossible : " + RaisonSysteme(EIO));
    return octets;
}

void EcritAtomique(const fs::path& chemin, std::string_view octets) {
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

TContenuImport ContenuDe(DocumentGedcom&& document) {
    // The lines are not needed any more (the places point into the text, not into them):
    // freed first, they do not add to the peak of the conversion.
    std::vector<LigneGedcom>().swap(document.Lignes);
    TContenuImport c;
    c.NomFichier = document.NomFichier;
    c.Octets = std::move(document.Octets);
    c.Individus = static_cast<long>(document.Individus);
    c.Familles = static_cast<long>(document.Familles);
    c.LignesIgnorees = static_cast<long>(document.LignesIgnorees);
    c.Encodage = NomEncodage(document.Jeu);
    c.Evenements.reserve(document.Lieux.size());
    for (LieuEvenement& l : document.Lieux) {
        // A PLAC with nothing in it names no place.
        if (l.TexteLieu.empty() && l.Parties.LieuDit.empty()) continue;
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
        c.Evenements.push_back(std::move(e));
    }
    return c;
}

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
    OptionsLecture lecture;
    lecture.EstCommune = options.EstCommune;
    if (options.Progression)
        lecture.Progression = [&](std::uint64_t lus, std::uint64_t total) {
            return options.Progression(total ? static_cast<int>(lus * 50 / total) : 0);
        };
    ResultatImport resultat;
    TContenuImport contenu;
    try {
        DocumentGedcom document =
            LitGedcom(LitOctets(fichier), fichier.filename().string(), lecture);
        resultat.Avertissements = std::move(document.Avertissements);
        contenu = ContenuDe(std::move(document));
    } catch (const LectureGedcomAnnulee&) {
        throw ImportAnnule(base.string(), 0, "import annulé ; aucune base n'a été écrite");
    }
    resultat.Encodage = contenu.Encodage;
    OptionsImport creation;
    creation.Remplacer = options.Remplacer;
    if (options.Progression)
        creation.Progression = [&](int p) { return options.Progression(50 + p / 2); };
    resultat.Comptes = CreeBase(contenu, base, creation);
    return resultat;
}

RapportEcriture ExporteGedcom(TBaseGenealogie& base, const fs::path& sortie) {
    std::error_code ec;
    // A GEDCOM file written over a base would lose the base (this one or another).
    if (fs::exists(sortie, ec) && EstBaseOrlavine(sortie))
        throw ErreurGenealogie(sortie.string(), 0,
                               "ce fichier est une base Orlavine : il n'a pas été remplacé ; "
                               "choisissez un autre nom pour le fichier GEDCOM");
    const std::string nom = base.NomFichierOrigine();
    // The stored bytes are read again as they were at the import: the PLAC line numbers of
    // the base name the same lines.
    const DocumentGedcom document = LitGedcom(base.OctetsOrigine(), nom);
    std::vector<CoordonneesEvenement> changements;
    for (const TBaseGenealogie::Changement& c : base.ChangementsAExporter())
        changements.push_back(
            {static_cast<std::uint32_t>(c.LignePlac), c.Latitude, c.Longitude, c.Retirer});
    RapportEcriture rapport;
    EcritAtomique(sortie, EcritGedcom(document, changements, &rapport));
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
