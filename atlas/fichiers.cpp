#include "atlas/fichiers.h"

#include "atlas/erreurs.h"
#include "atlas/progression.h"
#include "host/ini.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

namespace orlavine {

namespace fs = std::filesystem;

// ---- Bytes in and out -----------------------------------------------------------------

void LecteurAtlas::Leve(const std::string& detail) const {
    throw ErreurAtlas("Fichier \"" + Fichier() + "\" endommag\xC3\xA9 : " + detail + ".");
}

void LecteurAtlas::EndommageEnregistrement(const std::string& detail) const {
    Endommage("enregistrement " + std::to_string(enregistrement_) + " : " + detail);
}

std::string LecteurAtlas::DetailDepassement(std::size_t) const {
    if (enregistrement_ > 0)
        return "enregistrement " + std::to_string(enregistrement_) + " incomplet";
    return "en-t\xC3\xAAte incomplet";
}

std::vector<std::uint8_t> LitFichierEntier(const fs::path& chemin,
                                           const std::string& messageAbsent) {
    std::error_code ec;
    if (!fs::is_regular_file(chemin, ec)) throw ErreurAtlas(messageAbsent);
    std::ifstream flux(chemin, std::ios::binary);
    if (!flux)
        throw ErreurAtlas("Impossible d'ouvrir le fichier \"" + chemin.filename().string() + "\".");
    std::vector<std::uint8_t> octets;
    const auto taille = fs::file_size(chemin, ec);
    // Read in one go when the size is known, then whatever may have been appended since.
    if (!ec) {
        octets.resize(static_cast<std::size_t>(taille));
        flux.read(reinterpret_cast<char*>(octets.data()), static_cast<std::streamsize>(taille));
        octets.resize(static_cast<std::size_t>(flux.gcount()));
    }
    char tampon[65536];
    while (flux) {
        flux.read(tampon, sizeof tampon);
        octets.insert(octets.end(), tampon, tampon + flux.gcount());
    }
    if (flux.bad())
        throw ErreurAtlas("Erreur de lecture du fichier \"" + chemin.filename().string() + "\".");
    return octets;
}

void EcritFichierAtomique(const fs::path& chemin, std::span<const std::uint8_t> octets) {
    std::string raison;
    const std::string_view contenu(reinterpret_cast<const char*>(octets.data()), octets.size());
    if (!EcritFichierTexteAtomique(chemin, contenu, &raison))
        throw ErreurAtlas("\xC3\x89"
                          "criture du fichier \"" +
                          chemin.filename().string() + "\" impossible (" + raison + ").");
}

namespace {

std::string MessageAbsent(const char* nomAffiche) {
    return std::string("Fichier \"") + nomAffiche + "\" non existant ou d\xC3\xA9plac\xC3\xA9!";
}

// The bytes of a side file of the atlas folder; none when the folder does not have it.
std::optional<std::vector<std::uint8_t>> LitFichierFacultatif(const fs::path& dossier,
                                                              const char* nom) {
    const fs::path chemin = dossier / nom;
    std::error_code ec;
    if (!fs::exists(chemin, ec)) return std::nullopt;
    return LitFichierEntier(chemin, MessageAbsent(nom));
}

void VerifieNombreCommunes(std::size_t nombreCommunes) {
    if (nombreCommunes > NombreMaxCommunes)
        throw ErreurAtlas("Trop de communes pour un atlas : " + std::to_string(nombreCommunes) +
                          ".");
}

// The scrambled formats XOR each byte of a 32-bit value with the same key.
constexpr std::uint32_t Brouillage(std::uint8_t cle) {
    return std::uint32_t{cle} * 0x01010101u;
}

void AjouteEntier32(std::vector<std::uint8_t>& sortie, std::int32_t v, std::uint8_t cle) {
    AjouteMot32(sortie, static_cast<std::uint32_t>(v) ^ Brouillage(cle));
}

void AjouteFlottant(std::vector<std::uint8_t>& sortie, float f, std::uint8_t cle) {
    AjouteMot32(sortie, std::bit_cast<std::uint32_t>(f) ^ Brouillage(cle));
}

float LitFlottant(LecteurAtlas& lecteur, std::uint8_t cle) {
    return std::bit_cast<float>(lecteur.Mot32() ^ Brouillage(cle));
}

std::int32_t LitEntierBrouille(LecteurAtlas& lecteur, std::uint8_t cle) {
    return static_cast<std::int32_t>(lecteur.Mot32() ^ Brouillage(cle));
}

AnsiString LitTexte(LecteurAtlas& lecteur, std::uint8_t cle) {
    const std::uint8_t n = lecteur.Octet();
    const auto octets = lecteur.Bloc(n);
    AnsiString texte;
    texte.reserve(n);
    for (std::uint8_t b : octets) {
        const auto c = static_cast<char>(b ^ cle);
        if (c == '\0') break; // the rest of the n bytes is dropped
        texte += c;
    }
    return texte;
}

void AjouteTexte(std::vector<std::uint8_t>& sortie, const AnsiString& texte, std::uint8_t cle,
                 const char* champ, std::size_t numero) {
    if (texte.size() > 255)
        throw ErreurAtlas("Commune " + std::to_string(numero) + " : le champ " + champ +
                          " d\xC3\xA9passe 255 caract\xC3\xA8res.");
    sortie.push_back(static_cast<std::uint8_t>(texte.size()));
    for (char c : texte)
        sortie.push_back(static_cast<std::uint8_t>(c) ^ cle);
}

// Smallest record of "cc.dat": four floats, the rank, four empty texts, no neighbour.
constexpr std::size_t TailleMinCommune = 4 * 4 + 1 + 4 + 2;

} // namespace

// ---- "cc.dat" -------------------------------------------------------------------------

void LitCommune(TCommune& commune, LecteurAtlas& lecteur) {
    commune.XCarte = LitFlottant(lecteur, cle_communes::Coordonnees);
    commune.YCarte = LitFlottant(lecteur, cle_communes::Coordonnees);
    commune.Longitude = LitFlottant(lecteur, cle_communes::Longitude);
    commune.Latitude = LitFlottant(lecteur, cle_communes::Latitude);
    commune.Rang = lecteur.Octet() ^ cle_communes::Rang;
    commune.Nom = LitTexte(lecteur, cle_communes::Nom);
    commune.Article = LitTexte(lecteur, cle_communes::Article);
    commune.CodeInsee = LitTexte(lecteur, cle_communes::CodeInsee);
    commune.CodePostal = LitTexte(lecteur, cle_communes::CodePostal);
    const std::uint16_t m = lecteur.Mot16();
    const auto entrees = lecteur.Bloc(std::size_t(m) * 3);
    commune.Voisins.resize(m);
    commune.DistancesVoisins.resize(m);
    for (std::size_t k = 0; k < m; ++k) {
        commune.Voisins[k] = static_cast<std::uint16_t>(entrees[3 * k] | (entrees[3 * k + 1] << 8));
        commune.DistancesVoisins[k] = entrees[3 * k + 2];
    }
}

void LitCommunes(std::span<const std::uint8_t> octets, std::vector<TCommune>& communes,
                 IProgression* progression) {
    LecteurAtlas lecteur(octets, NomFichierCommunes);
    const std::int32_t n = lecteur.Entier32();
    if (progression) {
        progression->FixeMaximum(std::max(n, 0));
        progression->FixePosition(0);
    }
    if (n <= 0) return;
    if (static_cast<std::size_t>(n) > NombreMaxCommunes)
        lecteur.Endommage("il annonce " + std::to_string(n) + " communes, plus que les " +
                          std::to_string(NombreMaxCommunes) + " qu'un atlas peut contenir");
    if (static_cast<std::size_t>(n) > lecteur.Restant() / TailleMinCommune)
        lecteur.Endommage("il annonce " + std::to_string(n) +
                          " communes mais ne peut en contenir que " +
                          std::to_string(lecteur.Restant() / TailleMinCommune));

    // Read everything aside first: on damage the caller's list stays as it was.
    std::vector<TCommune> lues;
    lues.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        lecteur.Enregistrement(i + 1);
        TCommune commune;
        LitCommune(commune, lecteur);
        if (!std::isfinite(commune.XCarte) || !std::isfinite(commune.YCarte) ||
            !std::isfinite(commune.Longitude) || !std::isfinite(commune.Latitude))
            lecteur.EndommageEnregistrement("coordonn\xC3\xA9"
                                            "es invalides");
        for (std::size_t k = 0; k < commune.Voisins.size(); ++k)
            if (commune.Voisins[k] >= n)
                lecteur.EndommageEnregistrement("voisin " + std::to_string(commune.Voisins[k]) +
                                                " hors de la table (" + std::to_string(n) +
                                                " communes)");
        lues.push_back(std::move(commune));
        if (progression) progression->FixePosition(progression->Position() + 1);
    }
    if (progression) progression->FixePosition(n);
    if (communes.empty()) {
        communes = std::move(lues);
        return;
    }
    communes.reserve(communes.size() + lues.size());
    std::move(lues.begin(), lues.end(), std::back_inserter(communes));
}

void ChargeCommunes(std::vector<TCommune>& communes, const fs::path& dossier,
                    IProgression* progression) {
    const auto octets = LitFichierEntier(dossier / NomFichierCommunes, MessageAbsent("cc.dat"));
    LitCommunes(octets, communes, progression);
}

std::vector<std::uint8_t> EcritCommunes(const std::vector<TCommune>& communes) {
    if (communes.size() > NombreMaxCommunes)
        throw ErreurAtlas("Trop de communes pour un atlas : " + std::to_string(communes.size()) +
                          ".");
    std::vector<std::uint8_t> sortie;
    sortie.reserve(4 + communes.size() * 64);
    AjouteEntier32(sortie, static_cast<std::int32_t>(communes.size()), 0);
    for (std::size_t i = 0; i < communes.size(); ++i) {
        const TCommune& c = communes[i];
        if (c.Voisins.size() != c.DistancesVoisins.size() || c.Voisins.size() > 0xFFFF)
            throw ErreurAtlas("Commune " + std::to_string(i + 1) +
                              " : liste de voisins incoh\xC3\xA9rente.");
        AjouteFlottant(sortie, c.XCarte, cle_communes::Coordonnees);
        AjouteFlottant(sortie, c.YCarte, cle_communes::Coordonnees);
        AjouteFlottant(sortie, c.Longitude, cle_communes::Longitude);
        AjouteFlottant(sortie, c.Latitude, cle_communes::Latitude);
        sortie.push_back(static_cast<std::uint8_t>(c.Rang ^ cle_communes::Rang));
        AjouteTexte(sortie, c.Nom, cle_communes::Nom, "Nom", i + 1);
        AjouteTexte(sortie, c.Article, cle_communes::Article, "Article", i + 1);
        AjouteTexte(sortie, c.CodeInsee, cle_communes::CodeInsee, "CodeInsee", i + 1);
        AjouteTexte(sortie, c.CodePostal, cle_communes::CodePostal, "CodePostal", i + 1);
        AjouteMot16(sortie, static_cast<std::uint16_t>(c.Voisins.size()));
        for (std::size_t k = 0; k < c.Voisins.size(); ++k) {
            AjouteMot16(sortie, c.Voisins[k]);
            sortie.push_back(c.DistancesVoisins[k]);
        }
    }
    return sortie;
}

// ---- "departement.txt" ----------------------------------------------------------------

void LitNomsDepartements(std::span<const std::uint8_t> octets, std::vector<AnsiString>& noms,
                         IProgression* progression) {
    const std::string fichier = NomFichierDepartements;
    auto endommage = [&](const std::string& detail) -> void {
        throw ErreurAtlas("Fichier \"" + fichier + "\" endommag\xC3\xA9 : " + detail + ".");
    };
    std::vector<AnsiString> lus;
    lus.reserve(NombreDepartements);
    std::size_t pos = 0;
    for (int ligne = 1; ligne <= NombreDepartements; ++ligne) {
        if (pos >= octets.size())
            endommage("il s'arr\xC3\xAAte \xC3\xA0 la ligne " + std::to_string(ligne - 1) +
                      " au lieu de " + std::to_string(NombreDepartements));
        // The number before the first space is not read: the line's position gives it.
        while (pos < octets.size() && octets[pos] != ' ') {
            if (octets[pos] == '\n') endommage("ligne " + std::to_string(ligne) + " sans espace");
            ++pos;
        }
        if (pos >= octets.size()) endommage("ligne " + std::to_string(ligne) + " sans espace");
        ++pos; // the space
        AnsiString nom;
        while (pos < octets.size() && octets[pos] != '\n') {
            nom += static_cast<char>(octets[pos]);
            ++pos;
            if (nom.size() > LongueurMaxNomDepartement + 1)
                endommage("ligne " + std::to_string(ligne) + " trop longue");
        }
        if (pos < octets.size()) ++pos; // the line feed
        if (!nom.empty() && nom.back() == '\r') nom.pop_back();
        if (nom.size() > LongueurMaxNomDepartement)
            endommage("ligne " + std::to_string(ligne) + " trop longue");
        lus.push_back(std::move(nom));
        if (progression && ligne > 1) progression->FixePosition(progression->Position() + 1);
    }
    if (progression) progression->FixePosition(NombreDepartements);
    noms.insert(noms.end(), std::make_move_iterator(lus.begin()),
                std::make_move_iterator(lus.end()));
}

void ChargeNomsDepartements(std::vector<AnsiString>& noms, const fs::path& dossier,
                            IProgression* progression) {
    if (progression) {
        progression->FixePosition(0);
        progression->FixeMaximum(NombreDepartements);
    }
    const auto octets =
        LitFichierEntier(dossier / NomFichierDepartements, MessageAbsent("Departement.txt"));
    LitNomsDepartements(octets, noms, progression);
}

std::vector<std::uint8_t> EcritNomsDepartements(const std::vector<AnsiString>& noms) {
    std::vector<std::uint8_t> sortie;
    for (int n = 1; n <= NombreDepartements; ++n) {
        const AnsiString nom =
            static_cast<std::size_t>(n) <= noms.size() ? noms[static_cast<std::size_t>(n - 1)] : "";
        // A final carriage return would be taken for a line end when read back.
        if (nom.size() > LongueurMaxNomDepartement || nom.find('\n') != AnsiString::npos ||
            (!nom.empty() && nom.back() == '\r'))
            throw ErreurAtlas("D\xC3\xA9partement " + std::to_string(n) +
                              " : nom trop long ou sur plusieurs lignes.");
        char numero[8];
        std::snprintf(numero, sizeof numero, "%02d ", n);
        sortie.insert(sortie.end(), numero, numero + std::strlen(numero));
        sortie.insert(sortie.end(), nom.begin(), nom.end());
        sortie.push_back('\n');
    }
    return sortie;
}

// ---- "pointdepii.dat" -----------------------------------------------------------------

void LitDepartement(TDepartement& departement, LecteurAtlas& lecteur) {
    const std::int32_t n = LitEntierBrouille(lecteur, cle_contours::Nombre);
    if (n < 0)
        lecteur.EndommageEnregistrement("nombre de points n\xC3\xA9gatif (" + std::to_string(n) +
                                        ")");
    if (static_cast<std::size_t>(n) > lecteur.Restant() / 8)
        lecteur.EndommageEnregistrement("il annonce " + std::to_string(n) +
                                        " points au-del\xC3\xA0 de sa fin");
    departement.Contour.Points.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t x = LitEntierBrouille(lecteur, cle_contours::X);
        const std::int32_t y = LitEntierBrouille(lecteur, cle_contours::Y);
        departement.PointLu = {x, y};
        departement.Contour.AjoutePoint(x, y);
    }
    const std::int32_t m = LitEntierBrouille(lecteur, cle_contours::Nombre);
    if (m < 0)
        lecteur.EndommageEnregistrement("nombre d'indices n\xC3\xA9gatif (" + std::to_string(m) +
                                        ")");
    if (static_cast<std::size_t>(m) > lecteur.Restant() / 4)
        lecteur.EndommageEnregistrement("il annonce " + std::to_string(m) +
                                        " indices au-del\xC3\xA0 de sa fin");
    departement.Contour.Indices.reserve(static_cast<std::size_t>(m));
    for (std::int32_t i = 0; i < m; ++i)
        departement.Contour.Indices.push_back(LitEntierBrouille(lecteur, cle_contours::Nombre));
}

void LitContours(std::span<const std::uint8_t> octets, std::vector<TDepartement>& departements) {
    LecteurAtlas lecteur(octets, NomFichierContours);
    std::vector<TDepartement> lus;
    lus.reserve(NombreContours);
    for (int i = 1; i <= NombreContours; ++i) {
        lecteur.Enregistrement(i);
        TDepartement departement;
        LitDepartement(departement, lecteur);
        lus.push_back(std::move(departement));
    }
    departements.insert(departements.end(), std::make_move_iterator(lus.begin()),
                        std::make_move_iterator(lus.end()));
}

void ChargeContours(std::vector<TDepartement>& departements, const fs::path& dossier) {
    const auto octets =
        LitFichierEntier(dossier / NomFichierContours, MessageAbsent("pointdepii.dat"));
    LitContours(octets, departements);
}

std::vector<std::uint8_t> EcritContours(const std::vector<TPointsDep>& contours) {
    if (contours.size() > static_cast<std::size_t>(NombreContours))
        throw ErreurAtlas("Trop de contours : " + std::to_string(contours.size()) + " pour " +
                          std::to_string(NombreContours) + " enregistrements.");
    std::vector<std::uint8_t> sortie;
    for (int i = 0; i < NombreContours; ++i) {
        if (static_cast<std::size_t>(i) >= contours.size()) {
            AjouteEntier32(sortie, 0, cle_contours::Nombre);
            AjouteEntier32(sortie, 0, cle_contours::Nombre);
            continue;
        }
        const TPointsDep& c = contours[static_cast<std::size_t>(i)];
        AjouteEntier32(sortie, static_cast<std::int32_t>(c.Points.size()), cle_contours::Nombre);
        for (const TPoint& p : c.Points) {
            AjouteEntier32(sortie, p.x, cle_contours::X);
            AjouteEntier32(sortie, p.y, cle_contours::Y);
        }
        AjouteEntier32(sortie, static_cast<std::int32_t>(c.Indices.size()), cle_contours::Nombre);
        for (std::int32_t v : c.Indices)
            AjouteEntier32(sortie, v, cle_contours::Nombre);
    }
    return sortie;
}

// ---- The side files' header ------------------------------------------------------------
// Every side file of "cc.dat" starts alike: a 4-byte signature, the format version (16-bit),
// the record count of the "cc.dat" it goes with (32-bit) and its entry count (32-bit).

namespace {

constexpr std::size_t TailleEnteteCote = 4 + 2 + 4 + 4;

// Checks the header's signature and version, and that it goes with a communes file of
// `nombreCommunes` records; gives the entry count it announces, for the caller to check.
std::int32_t LitEnteteCote(LecteurAtlas& lecteur, const char (&signature)[4],
                           std::uint16_t versionAttendue, std::size_t nombreCommunes) {
    if (lecteur.Restant() < TailleEnteteCote) lecteur.Endommage("en-t\xC3\xAAte incomplet");
    const auto lue = lecteur.Bloc(4);
    if (!std::equal(lue.begin(), lue.end(), signature))
        lecteur.Endommage("signature " + std::string(signature, 4) + " absente");
    const std::uint16_t version = lecteur.Mot16();
    if (version != versionAttendue)
        lecteur.Endommage("version " + std::to_string(version) + " inconnue (" +
                          std::to_string(versionAttendue) + " attendue)");
    const std::int32_t n = lecteur.Entier32();
    if (n < 0 || static_cast<std::size_t>(n) != nombreCommunes)
        lecteur.Endommage("il accompagne un \"cc.dat\" de " + std::to_string(n) +
                          " communes, celui-ci en a " + std::to_string(nombreCommunes));
    return lecteur.Entier32();
}

// The header of a side file of `entrees` entries, room made for `tailleEntrees` more bytes.
std::vector<std::uint8_t> EcritEnteteCote(const char (&signature)[4], std::uint16_t version,
                                          std::size_t nombreCommunes, std::size_t entrees,
                                          std::size_t tailleEntrees) {
    std::vector<std::uint8_t> sortie(signature, signature + 4);
    sortie.reserve(TailleEnteteCote + tailleEntrees);
    AjouteMot16(sortie, version);
    AjouteEntier32(sortie, static_cast<std::int32_t>(nombreCommunes), 0);
    AjouteEntier32(sortie, static_cast<std::int32_t>(entrees), 0);
    return sortie;
}

} // namespace

// ---- "ccliees.dat" -------------------------------------------------------------------

namespace {

constexpr char SignatureCommunesLiees[4] = {'C', 'C', 'L', 'I'};
constexpr std::size_t TailleEntreeLiee = 5;

// The first fault of a list of entries against a communes file of `n` records, "" if none.
std::string DefautLiees(const std::vector<TCommuneLiee>& liees, std::size_t n, std::size_t& k) {
    for (k = 0; k < liees.size(); ++k) {
        const TCommuneLiee& l = liees[k];
        const auto nature = static_cast<int>(l.Nature);
        if (nature < 1 || nature > 3) return "nature " + std::to_string(nature) + " inconnue";
        if (l.Index >= n || l.Parent >= n)
            return "commune " + std::to_string(l.Index >= n ? l.Index : l.Parent) +
                   " hors de la table (" + std::to_string(n) + " communes)";
        if (k > 0 && l.Index <= liees[k - 1].Index)
            return "entr\xC3\xA9"
                   "es hors d'ordre";
        if (l.Parent == l.Index)
            return "commune rattach\xC3\xA9"
                   "e \xC3\xA0 elle-m\xC3\xAAme";
    }
    // A parent must be a current commune: no entry names it.
    for (k = 0; k < liees.size(); ++k) {
        const auto it =
            std::lower_bound(liees.begin(), liees.end(), liees[k].Parent,
                             [](const TCommuneLiee& l, std::uint16_t i) { return l.Index < i; });
        if (it != liees.end() && it->Index == liees[k].Parent)
            return "rattach\xC3\xA9"
                   "e \xC3\xA0 la commune " +
                   std::to_string(liees[k].Parent) + ", qui n'est pas une commune actuelle";
    }
    return {};
}

} // namespace

void LitCommunesLiees(std::span<const std::uint8_t> octets, std::size_t nombreCommunes,
                      std::vector<TCommuneLiee>& liees) {
    LecteurAtlas lecteur(octets, NomFichierCommunesLiees);
    const std::int32_t m =
        LitEnteteCote(lecteur, SignatureCommunesLiees, VersionCommunesLiees, nombreCommunes);
    if (m < 0 || static_cast<std::size_t>(m) > nombreCommunes ||
        static_cast<std::size_t>(m) * TailleEntreeLiee != lecteur.Restant())
        lecteur.Endommage("il annonce " + std::to_string(m) +
                          " entr\xC3\xA9"
                          "es pour " +
                          std::to_string(lecteur.Restant()) + " octets");
    std::vector<TCommuneLiee> lues(static_cast<std::size_t>(m));
    for (std::size_t k = 0; k < lues.size(); ++k) {
        lecteur.Enregistrement(static_cast<long>(k) + 1);
        lues[k].Index = lecteur.Mot16();
        lues[k].Nature = static_cast<TNatureCommune>(lecteur.Octet());
        lues[k].Parent = lecteur.Mot16();
    }
    std::size_t k = 0;
    if (const std::string defaut = DefautLiees(lues, nombreCommunes, k); !defaut.empty()) {
        lecteur.Enregistrement(static_cast<long>(k) + 1);
        lecteur.EndommageEnregistrement(defaut);
    }
    liees = std::move(lues);
}

void ChargeCommunesLiees(std::vector<TCommuneLiee>& liees, const fs::path& dossier,
                         std::size_t nombreCommunes) {
    if (const auto octets = LitFichierFacultatif(dossier, NomFichierCommunesLiees))
        LitCommunesLiees(*octets, nombreCommunes, liees);
    else
        liees.clear();
}

std::vector<std::uint8_t> EcritCommunesLiees(const std::vector<TCommuneLiee>& liees,
                                             std::size_t nombreCommunes) {
    std::size_t k = 0;
    VerifieNombreCommunes(nombreCommunes);
    if (const std::string defaut = DefautLiees(liees, nombreCommunes, k); !defaut.empty())
        throw ErreurAtlas("Commune li\xC3\xA9"
                          "e " +
                          std::to_string(k + 1) + " : " + defaut + ".");
    std::vector<std::uint8_t> sortie =
        EcritEnteteCote(SignatureCommunesLiees, VersionCommunesLiees, nombreCommunes, liees.size(),
                        liees.size() * TailleEntreeLiee);
    for (const TCommuneLiee& l : liees) {
        AjouteMot16(sortie, l.Index);
        sortie.push_back(static_cast<std::uint8_t>(l.Nature));
        AjouteMot16(sortie, l.Parent);
    }
    return sortie;
}

// ---- "ccpostaux.dat" -----------------------------------------------------------------

namespace {

constexpr char SignatureCodesPostaux[4] = {'C', 'C', 'C', 'P'};
constexpr std::size_t LongueurCodePostal = 5;
constexpr std::size_t TailleEntreeCodePostal = 2 + LongueurCodePostal;

// Bytes of a damaged file put in a message: printable ASCII as is, anything else as '?'.
std::string AffichableAscii(std::string_view octets) {
    std::string texte(octets);
    for (char& c : texte)
        if (c < 0x20 || c > 0x7E) c = '?';
    return texte;
}

// The first fault of a list of entries against a communes file of `n` records, "" if none;
// `k` is then the entry at fault.
std::string DefautCodesPostaux(const std::vector<TAutreCodePostal>& codes, std::size_t n,
                               std::size_t& k) {
    for (k = 0; k < codes.size(); ++k) {
        const TAutreCodePostal& c = codes[k];
        if (c.Index >= n)
            return "commune " + std::to_string(c.Index) + " hors de la table (" +
                   std::to_string(n) + " communes)";
        if (c.Code.size() != LongueurCodePostal ||
            !std::all_of(c.Code.begin(), c.Code.end(), [](char x) { return x >= '0' && x <= '9'; }))
            return "code postal \"" + AffichableAscii(c.Code) + "\" invalide";
        if (k > 0 && (c.Index < codes[k - 1].Index ||
                      (c.Index == codes[k - 1].Index && c.Code <= codes[k - 1].Code)))
            return "entr\xC3\xA9"
                   "es hors d'ordre ou en double";
    }
    return {};
}

} // namespace

void LitCodesPostaux(std::span<const std::uint8_t> octets, std::size_t nombreCommunes,
                     std::vector<TAutreCodePostal>& codes) {
    LecteurAtlas lecteur(octets, NomFichierCodesPostaux);
    const std::int32_t m =
        LitEnteteCote(lecteur, SignatureCodesPostaux, VersionCodesPostaux, nombreCommunes);
    if (m < 0 || static_cast<std::size_t>(m) * TailleEntreeCodePostal != lecteur.Restant())
        lecteur.Endommage("il annonce " + std::to_string(m) +
                          " entr\xC3\xA9"
                          "es pour " +
                          std::to_string(lecteur.Restant()) + " octets");
    std::vector<TAutreCodePostal> lus(static_cast<std::size_t>(m));
    for (std::size_t k = 0; k < lus.size(); ++k) {
        lecteur.Enregistrement(static_cast<long>(k) + 1);
        lus[k].Index = lecteur.Mot16();
        const auto code = lecteur.Bloc(LongueurCodePostal);
        lus[k].Code.assign(code.begin(), code.end());
    }
    std::size_t k = 0;
    if (const std::string defaut = DefautCodesPostaux(lus, nombreCommunes, k); !defaut.empty())
        lecteur.Endommage("enregistrement " + std::to_string(k + 1) + " (octet " +
                          std::to_string(TailleEnteteCote + k * TailleEntreeCodePostal) +
                          ") : " + defaut);
    codes = std::move(lus);
}

void ChargeCodesPostaux(std::vector<TAutreCodePostal>& codes, const fs::path& dossier,
                        std::size_t nombreCommunes) {
    if (const auto octets = LitFichierFacultatif(dossier, NomFichierCodesPostaux))
        LitCodesPostaux(*octets, nombreCommunes, codes);
    else
        codes.clear();
}

std::vector<std::uint8_t> EcritCodesPostaux(const std::vector<TAutreCodePostal>& codes,
                                            std::size_t nombreCommunes) {
    std::size_t k = 0;
    VerifieNombreCommunes(nombreCommunes);
    if (const std::string defaut = DefautCodesPostaux(codes, nombreCommunes, k); !defaut.empty())
        throw ErreurAtlas("Code postal " + std::to_string(k + 1) + " : " + defaut + ".");
    std::vector<std::uint8_t> sortie =
        EcritEnteteCote(SignatureCodesPostaux, VersionCodesPostaux, nombreCommunes, codes.size(),
                        codes.size() * TailleEntreeCodePostal);
    for (const TAutreCodePostal& c : codes) {
        AjouteMot16(sortie, c.Index);
        sortie.insert(sortie.end(), c.Code.begin(), c.Code.end());
    }
    return sortie;
}

// ---- "ccnoms.dat" -------------------------------------------------------------------

namespace {

constexpr char SignatureNomsOfficiels[4] = {'C', 'C', 'N', 'O'};

// The fault of one name, "" if none.
std::string DefautNomOfficiel(const AnsiString& nom) {
    if (nom.empty()) return "nom vide";
    if (nom.size() > LongueurMaxNomOfficiel)
        return "nom de " + std::to_string(nom.size()) + " octets (" +
               std::to_string(LongueurMaxNomOfficiel) + " au plus)";
    for (const char x : nom) {
        const auto c = static_cast<unsigned char>(x);
        if (c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)
            return "caract\xC3\xA8re " + std::to_string(c) + " interdit dans le nom";
    }
    if (nom.front() == ' ' || nom.back() == ' ') return "espace au bord du nom";
    return {};
}

// The first fault of a list of names against a communes file of `n` records, "" if none;
// `k` is then the entry at fault.
std::string DefautNomsOfficiels(const std::vector<TNomOfficiel>& noms, std::size_t n,
                                std::size_t& k) {
    for (k = 0; k < noms.size(); ++k) {
        const TNomOfficiel& e = noms[k];
        if (e.Index >= n)
            return "commune " + std::to_string(e.Index) + " hors de la table (" +
                   std::to_string(n) + " communes)";
        if (k > 0 && e.Index <= noms[k - 1].Index)
            return "entr\xC3\xA9"
                   "es hors d'ordre ou en double";
        if (std::string defaut = DefautNomOfficiel(e.Nom); !defaut.empty()) return defaut;
    }
    return {};
}

} // namespace

void LitNomsOfficiels(std::span<const std::uint8_t> octets, std::size_t nombreCommunes,
                      std::vector<TNomOfficiel>& noms) {
    LecteurAtlas lecteur(octets, NomFichierNomsOfficiels);
    const std::int32_t m =
        LitEnteteCote(lecteur, SignatureNomsOfficiels, VersionNomsOfficiels, nombreCommunes);
    // Each entry takes at least 3 bytes: a count beyond that is refused before any allocation.
    if (m < 0 || static_cast<std::size_t>(m) > nombreCommunes ||
        static_cast<std::size_t>(m) * 3 > lecteur.Restant())
        lecteur.Endommage("il annonce " + std::to_string(m) +
                          " entr\xC3\xA9"
                          "es pour " +
                          std::to_string(lecteur.Restant()) + " octets");
    std::vector<TNomOfficiel> lus(static_cast<std::size_t>(m));
    std::vector<std::size_t> positions(lus.size());
    for (std::size_t k = 0; k < lus.size(); ++k) {
        positions[k] = lecteur.Position();
        lecteur.Enregistrement(static_cast<long>(k) + 1);
        lus[k].Index = lecteur.Mot16();
        const auto nom = lecteur.Bloc(lecteur.Octet());
        lus[k].Nom.assign(nom.begin(), nom.end());
    }
    if (lecteur.Restant() != 0)
        lecteur.Endommage(std::to_string(lecteur.Restant()) +
                          " octets apr\xC3\xA8s la derni\xC3\xA8re entr\xC3\xA9"
                          "e");
    std::size_t k = 0;
    if (const std::string defaut = DefautNomsOfficiels(lus, nombreCommunes, k); !defaut.empty())
        lecteur.Endommage("enregistrement " + std::to_string(k + 1) + " (octet " +
                          std::to_string(positions[k]) + ") : " + defaut);
    noms = std::move(lus);
}

void ChargeNomsOfficiels(std::vector<TNomOfficiel>& noms, const fs::path& dossier,
                         std::size_t nombreCommunes) {
    if (const auto octets = LitFichierFacultatif(dossier, NomFichierNomsOfficiels))
        LitNomsOfficiels(*octets, nombreCommunes, noms);
    else
        noms.clear();
}

std::vector<std::uint8_t> EcritNomsOfficiels(const std::vector<TNomOfficiel>& noms,
                                             std::size_t nombreCommunes) {
    std::size_t k = 0;
    VerifieNombreCommunes(nombreCommunes);
    if (const std::string defaut = DefautNomsOfficiels(noms, nombreCommunes, k); !defaut.empty())
        throw ErreurAtlas("Nom officiel " + std::to_string(k + 1) + " : " + defaut + ".");
    std::vector<std::uint8_t> sortie = EcritEnteteCote(SignatureNomsOfficiels, VersionNomsOfficiels,
                                                       nombreCommunes, noms.size(), 0);
    for (const TNomOfficiel& e : noms) {
        AjouteMot16(sortie, e.Index);
        sortie.push_back(static_cast<std::uint8_t>(e.Nom.size()));
        sortie.insert(sortie.end(), e.Nom.begin(), e.Nom.end());
    }
    return sortie;
}

} // namespace orlavine
